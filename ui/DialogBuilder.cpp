#include "ui/DialogBuilder.h"

#include <tinyxml.h>

#include <QFile>
#include <QFont>
#include <QRegularExpression>

#include "core/Log.h"
#include "ui/Containers.h"
#include "ui/Controls.h"
#include "ui/ListControl.h"
#include "ui/PaintManager.h"
#include "ui/TextView.h"
#include "ui/WebBrowser.h"

namespace ui {
namespace {

QString Q(const char* text) { return QString::fromUtf8(text ? text : ""); }

Control* CreateBuiltIn(const QString& tag) {
  using K = Container::Kind;
  if (tag == "Control") return new Label("ControlUI");
  if (tag == "Label") return new Label("LabelUI");
  if (tag == "Text") return new Label("TextUI");
  if (tag == "ListHeaderItem") return new Label("ListHeaderItemUI");
  if (tag == "Button") return new Button("ButtonUI");
  if (tag == "Option") return new Option("OptionUI");
  if (tag == "CheckBox") return new Option("CheckBoxUI");
  if (tag == "Edit") return new Edit;
  if (tag == "RichEdit") return new TextView;
  if (tag == "Combo") return new Combo;
  if (tag == "Progress") return new Progress;
  if (tag == "List") return new List;
  if (tag == "ListTextElement" || tag == "ListLabelElement") return new ListTextElement;
  if (tag == "Container" || tag == "VerticalLayout") return new Container(tag + "UI", K::Vertical);
  if (tag == "HorizontalLayout" || tag == "ListHeader")
    return new Container(tag + "UI", K::Horizontal);
  if (tag == "TabLayout") return new Container("TabLayoutUI", K::Tab);
  if (tag == "TileLayout") return new Container("TileLayoutUI", K::Tile);
  if (tag == "WebBrowser" || tag == "ActiveX") return new WebBrowser;
  return nullptr;
}

class Builder {
 public:
  Builder(PaintManager* manager, IDialogBuilderCallback* callback)
      : manager_(manager), callback_(callback) {}

  Control* Build(const TiXmlElement* element) {
    const QString tag = Q(element->Value());
    Control* control = CreateBuiltIn(tag);
    if (!control && callback_) control = callback_->CreateControl(tag);
    if (!control) {
      LOG_WARN("Unknown layout element {0}.", tag.toStdString());
      return nullptr;
    }
    control->SetManager(manager_);
    const QString defaults = manager_->DefaultAttributes(tag);
    if (!defaults.isEmpty()) ApplyAttributeList(control, defaults);
    for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next())
      control->SetAttribute(Q(a->Name()), Q(a->Value()));
    AddChildren(control, element);
    return control;
  }

 private:
  void AddChildren(Control* control, const TiXmlElement* element) {
    for (const TiXmlElement* child = element->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
      if (auto* combo = dynamic_cast<Combo*>(control)) {
        combo->AddItem(Q(child->Attribute("text")));
        continue;
      }
      Control* c = Build(child);
      if (!c) continue;
      if (auto* list = dynamic_cast<List*>(control)) {
        if (auto* header = dynamic_cast<Container*>(c))
          list->SetHeader(header);
        else if (auto* row = dynamic_cast<ListTextElement*>(c))
          list->Add(row);
        else
          delete c->widget();
      } else if (auto* container = dynamic_cast<Container*>(control)) {
        const bool floating = ParseBool(Q(child->Attribute("float")));
        container->Add(c, floating);
        if (floating) c->widget()->setGeometry(ParseRect(Q(child->Attribute("pos"))));
      } else {
        delete c->widget();
      }
    }
    if (auto* combo = dynamic_cast<Combo*>(control)) combo->SelectItem(-1);
  }

  PaintManager* manager_;
  IDialogBuilderCallback* callback_;
};

void ReadWindowElement(const TiXmlElement* window, PaintManager* manager,
                       QHash<QString, QString>& attributes) {
  for (const TiXmlAttribute* a = window->FirstAttribute(); a; a = a->Next())
    attributes.insert(Q(a->Name()), Q(a->Value()));
  for (const TiXmlElement* e = window->FirstChildElement(); e; e = e->NextSiblingElement()) {
    const QString tag = Q(e->Value());
    if (tag == "Font") {
      QFont font(Q(e->Attribute("name")));
      int size = 12;
      e->QueryIntAttribute("size", &size);
      font.setPixelSize(size);
      font.setBold(ParseBool(Q(e->Attribute("bold"))));
      font.setItalic(ParseBool(Q(e->Attribute("italic"))));
      font.setUnderline(ParseBool(Q(e->Attribute("underline"))));
      font.setHintingPreference(QFont::PreferNoHinting);
      int id = 0;
      e->QueryIntAttribute("id", &id);
      manager->AddFont(id, font, ParseBool(Q(e->Attribute("default"))));
    } else if (tag == "Default") {
      manager->AddDefaultAttributes(Q(e->Attribute("name")), Q(e->Attribute("value")));
    }
  }
}

}  // namespace

void ApplyAttributeList(Control* control, const QString& list) {
  static const QRegularExpression kPair("([\\w]+)\\s*=\\s*\"([^\"]*)\"");
  auto it = kPair.globalMatch(list);
  while (it.hasNext()) {
    const auto m = it.next();
    control->SetAttribute(m.captured(1), m.captured(2));
  }
}

Control* DialogBuilder::Create(const QString& layoutFile, PaintManager* manager,
                               IDialogBuilderCallback* callback) {
  windowAttributes_.clear();
  const QString path = PaintManager::GetResourcePath() + '/' + layoutFile;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    LOG_WARN("Layout file {0} not found.", path.toStdString());
    return nullptr;
  }
  const QByteArray bytes = file.readAll();
  TiXmlDocument doc;
  doc.Parse(bytes.constData(), nullptr, TIXML_ENCODING_UTF8);
  if (doc.Error() || !doc.RootElement()) {
    LOG_WARN("Layout file {0} cannot be parsed: {1}", path.toStdString(), doc.ErrorDesc());
    return nullptr;
  }
  const TiXmlElement* root = doc.RootElement();
  const TiXmlElement* first = root;
  if (Q(root->Value()) == "Window") {
    ReadWindowElement(root, manager, windowAttributes_);
    first = nullptr;
    for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
      const QString tag = Q(e->Value());
      if (tag != "Font" && tag != "Default" && tag != "Image") {
        first = e;
        break;
      }
    }
    if (!first) return nullptr;
  }
  return Builder(manager, callback).Build(first);
}

}  // namespace ui

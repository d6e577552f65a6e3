// Every text against its background reaches 4.5:1, in every layout of both skins, in the
// pages as the program colours them, and in the style sheet of the windows without a
// layout. The background is the control's own colour in that state, else the nearest
// enclosing control's; a background picture counts as its mean colour.
#include <QDir>
#include <QImage>
#include <QTest>

#include "ui/Controls.h"
#include "ui/DeviceBaseWnd.h"
#include "ui/ListControl.h"
#include "ui/OwnStyle.h"
#include "ui/tests/UiTestSupport.h"

namespace {

constexpr double kMinimum = 4.5;

double Luminance(const QColor& c) {
  const auto channel = [](double v) {
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor Over(const QColor& top, const QColor& below) {
  const float a = top.alphaF();
  return QColor::fromRgbF(top.redF() * a + below.redF() * (1 - a),
                          top.greenF() * a + below.greenF() * (1 - a),
                          top.blueF() * a + below.blueF() * (1 - a));
}

// The mean colour of a skin picture laid over `below`.
QColor MeanOf(const ui::ImageSpec& image, const QColor& below) {
  const QImage picture = ui::SkinImage(ui::PaintManager::GetResourcePath(), image.file)
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
  if (picture.isNull()) return below;
  double r = 0, g = 0, b = 0;
  const double n = double(picture.width()) * picture.height();
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const QColor c = Over(picture.pixelColor(x, y), below);
      r += c.redF();
      g += c.greenF();
      b += c.blueF();
    }
  return QColor::fromRgbF(static_cast<float>(r / n), static_cast<float>(g / n),
                          static_cast<float>(b / n));
}

enum class State { Normal, Hot, Disabled };
const char* const kStateNames[] = {"normal", "hot", "disabled"};

// What a control paints behind itself in a state; invalid where it lets the enclosing
// control show through.
QColor OwnBackground(ui::Control& c, State s, const QColor& below) {
  const ui::ControlLook& l = c.look();
  QColor bk = l.bk;
  if (auto* row = dynamic_cast<ui::ListTextElement*>(c.widget())) {
    const QWidget* list = row->parentWidget();
    while (list && !dynamic_cast<const ui::List*>(list)) list = list->parentWidget();
    const ui::ControlLook item =
        list ? static_cast<const ui::List*>(list)->itemLook() : ui::ControlLook();
    bk = row->rowColor().isValid() ? row->rowColor() : item.bk;
    if (s == State::Hot && !row->rowColor().isValid() && item.hotBk.isValid()) bk = item.hotBk;
  } else if (s == State::Hot && l.hotBk.isValid()) {
    bk = l.hotBk;
  } else if (s == State::Disabled && l.disabledBk.isValid()) {
    bk = l.disabledBk;
  }
  if (bk.isValid() && bk.alpha() > 0) return Over(bk, below);
  if (!l.bkImage.empty()) return MeanOf(l.bkImage, below);
  return QColor();
}

QColor Background(ui::Control& c, State s) {
  QList<ui::Control*> chain;
  for (QWidget* w = c.widget(); w; w = w->parentWidget())
    if (ui::Control* a = ui::ControlOf(w)) chain.prepend(a);
  QColor bk(Qt::white);
  for (ui::Control* a : chain) {
    const QColor own = OwnBackground(*a, a == &c ? s : State::Normal, bk);
    if (own.isValid()) bk = own;
  }
  return bk;
}

using Pair = std::pair<QColor, QColor>;  // the text's colour and its background's

// The text and background of a control in a state, as it paints them; none where the state
// does not apply to it.
std::optional<Pair> PairOf(ui::Control& c, State s) {
  const QString kind = c.className();
  const ui::ControlLook& l = c.look();
  if (kind == "EditUI" || kind == "ComboUI" || kind == "RichEditUI") {
    // Fields are drawn by their style sheet: their own colours, a fixed disabled look.
    if (s == State::Disabled) return Pair{QColor(0x57, 0x64, 0x77), QColor(0xF1, 0xF5, 0xF9)};
    if (s == State::Hot) return std::nullopt;
    return Pair{l.text, l.bk.isValid() ? l.bk : QColor(Qt::white)};
  }
  const bool hovers = kind == "ButtonUI" || kind == "OptionUI" || kind == "CheckBoxUI" ||
                      kind == "ListTextElementUI";
  if (s == State::Hot && !hovers) return std::nullopt;
  if (s == State::Disabled && kind == "ListTextElementUI") return std::nullopt;  // rows are never
  QColor text = l.text;
  if (s == State::Disabled) text = l.disabledText;
  if (s == State::Hot && l.hotText.isValid()) text = l.hotText;
  return Pair{text, Background(c, s)};
}

bool ShowsText(ui::Control& c) {
  static const QStringList kinds = {"LabelUI",           "TextUI",           "ButtonUI", "OptionUI",
                                    "CheckBoxUI",        "ListHeaderItemUI", "EditUI",   "ComboUI",
                                    "ListTextElementUI", "RichEditUI"};
  if (!kinds.contains(c.className())) return false;
  // A picture button without a text has no text colour to read.
  const bool picture = !c.look().normalImage.empty() || !c.look().bkImage.empty();
  return !(picture && c.text().isEmpty());
}

// Notes "where: text on background = ratio" when the pair reads below the minimum.
void NoteIfUnreadable(QStringList& failures, const QString& where, const QColor& text,
                      const QColor& bk) {
  const double x = Luminance(text), y = Luminance(bk);
  const double ratio = (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
  if (ratio < kMinimum)
    failures << QString("%1: %2 on %3 = %4")
                    .arg(where, text.name(QColor::HexArgb), bk.name(QColor::HexArgb))
                    .arg(ratio, 0, 'f', 2);
}

class ContrastTests : public QObject {
  Q_OBJECT

 private slots:
  // Every layout of both skins builds, and reads; so does the style sheet of the windows
  // without a layout.
  void everyLayoutAndTheStyleSheet() {
    QStringList failures;
    for (const char* language : {"EN", "CS"}) {
      uitest::UseSkin(language);
      const QDir skin(ui::PaintManager::GetResourcePath());
      QVERIFY2(skin.entryList({"*.xml"}).size() >= 15, language);
      for (const QString& file : skin.entryList({"*.xml"})) {
        auto* window = new ui::DeviceBaseWnd(file);
        window->Create(nullptr, "contrast", false);
        const QString where = QString(language) + "/" + file;
        if (window->findChildren<QWidget*>().size() < 2) failures << where + ": built nothing";
        failures += uitest::ContrastFailures(window, where);
        delete window;
      }
    }
    uitest::UseSkin("EN");

    // The rules of the style sheet; a state rule without a colour of its own takes its
    // element's, and a rule without a background lies on the window's.
    const QList<ui::StyleRule>& rules = ui::OwnStyleRules();
    const auto colour = [&](const ui::StyleRule& rule, QColor ui::StyleRule::*field) {
      if ((rule.*field).isValid()) return rule.*field;
      for (const ui::StyleRule& r : rules)
        if (r.selector == rule.selector.section(':', 0, 0) && (r.*field).isValid()) return r.*field;
      return rules.front().*field;
    };
    for (const ui::StyleRule& r : rules) {
      if (!r.text.isValid() && !r.background.isValid()) continue;
      NoteIfUnreadable(failures, r.selector, colour(r, &ui::StyleRule::text),
                       colour(r, &ui::StyleRule::background));
    }
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
  }
};

}  // namespace

namespace uitest {

QStringList ContrastFailures(QWidget* window, const QString& where) {
  QStringList failures;
  QList<QWidget*> widgets = window->findChildren<QWidget*>();
  widgets.prepend(window);
  for (QWidget* w : widgets) {
    ui::Control* c = ui::ControlOf(w);
    if (!c || !ShowsText(*c)) continue;
    for (State s : {State::Normal, State::Hot, State::Disabled})
      if (const auto pair = PairOf(*c, s))
        NoteIfUnreadable(failures,
                         QString("%1 %2 (%3 \"%4\") %5")
                             .arg(where, c->name(), c->className(), c->text(), kStateNames[int(s)]),
                         pair->first, pair->second);
  }
  return failures;
}

}  // namespace uitest

UITEST_RUNNER(ContrastTests)

#include "ContrastTests.moc"

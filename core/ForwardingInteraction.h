#pragma once
// Passes every call on to an inner interaction, and the view part to the view of the
// window that started the procedure when one is given. A decorator derives from it and
// overrides only what it changes.
#include "core/Interaction.h"

namespace core {

class ForwardingInteraction : public Interaction {
 public:
  explicit ForwardingInteraction(Interaction& inner) : inner_(inner), view_(inner) {}
  ForwardingInteraction(Interaction& inner, ProcedureView& view) : inner_(inner), view_(view) {}
  // Copying would be chosen over wrapping when the inner interaction is itself a forwarding
  // one, and the copy would skip it: wrap one through an Interaction& instead.
  ForwardingInteraction(const ForwardingInteraction&) = delete;
  ForwardingInteraction& operator=(const ForwardingInteraction&) = delete;

  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    inner_.ShowMessage(text, caption, icon);
  }
  bool AskOkCancel(const std::string& text, const std::string& caption, MessageIcon icon) override {
    return inner_.AskOkCancel(text, caption, icon);
  }
  int ShowTip(const std::string& windowName, const std::string& text, int type) override {
    return inner_.ShowTip(windowName, text, type);
  }
  void ShowProgressWindow(const ProgressWindowSpec& spec, const std::atomic<bool>& done) override {
    inner_.ShowProgressWindow(spec, done);
  }
  void SetStatus(const std::string& text) override { view_.SetStatus(text); }
  void SetProgress(int value, int maximum) override { view_.SetProgress(value, maximum); }
  void SetLabel(const std::string& control, const std::string& text) override {
    view_.SetLabel(control, text);
  }

 private:
  Interaction& inner_;
  ProcedureView& view_;
};

}  // namespace core

#pragma once

#include <QApplication>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/dialogs/TDialogPrompts.h"
#include "ui/dialogs/options/TVLMOptionsForm.h"

namespace Vellumetric::Testing {

// Message boxes answered from a script: every question and notice is written down as
// "caption|text"; questions take the next answer (No when none is left).
struct TScriptedPrompts {
  std::vector<std::string> Shown;
  std::deque<bool> Answers;

  [[nodiscard]] TDialogPrompts Prompts() {
    TDialogPrompts p;
    p.Question = [this](QWidget*, const QString& text, const QString& caption) {
      Shown.push_back((caption + "|" + text).toStdString());
      if (Answers.empty()) return false;
      const bool yes = Answers.front();
      Answers.pop_front();
      return yes;
    };
    p.Notice = p.Error = [this](QWidget*, const QString& text, const QString& caption) {
      Shown.push_back((caption + "|" + text).toStdString());
    };
    return p;
  }
};

// Runs `action` on the modal dialog once its exec() loop is running; the action closes it.
inline void WhenModal(const std::function<void(QWidget* dialog)>& action) {
  QTimer::singleShot(0, [action] { action(QApplication::activeModalWidget()); });
}

// Adds the group `name` with the one extension `extension` in the options dialog about to open,
// saves it and closes the dialog, as a user would.
inline void WhenOptionsAddGroup(const QString& name, const QString& extension) {
  WhenModal([name, extension](QWidget* w) {
    auto* options = static_cast<TVLMOptionsForm*>(w);
    options->ToolButton3->click();
    options->Edit1->setText(name);
    options->Edit2->setText(extension);
    options->Button3->click();
    options->SaveButton->click();
    options->close();
  });
}

}  // namespace Vellumetric::Testing

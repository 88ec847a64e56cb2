#include "ui/dialogs/TDialogPrompts.h"

#include <QMessageBox>

namespace Vellumetric {
namespace {

void Show(QWidget* parent, QMessageBox::Icon icon, const QString& text, const QString& caption) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

}  // namespace

TDialogPrompts TDialogPrompts::Standard() {
  TDialogPrompts p;
  p.Question = [](QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    return box.exec() == QMessageBox::Yes;
  };
  p.Notice = [](QWidget* parent, const QString& text, const QString& caption) {
    Show(parent, QMessageBox::Information, text, caption);
  };
  p.Error = [](QWidget* parent, const QString& text, const QString& caption) {
    Show(parent, QMessageBox::Critical, text, caption);
  };
  return p;
}

}  // namespace Vellumetric

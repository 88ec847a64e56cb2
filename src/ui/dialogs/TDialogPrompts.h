#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace Vellumetric {

// The message boxes a dialog asks or tells with, replaceable so that tests can answer them.
// The standard ones are the application's plain message boxes.
struct TDialogPrompts {
  using TQuestion =
      std::function<bool(QWidget* parent, const QString& text, const QString& caption)>;
  using TNotice = std::function<void(QWidget* parent, const QString& text, const QString& caption)>;

  // Yes and No with the question icon; true for Yes.
  TQuestion Question;
  // OK with the information icon.
  TNotice Notice;
  // OK with the stop icon.
  TNotice Error;

  [[nodiscard]] static TDialogPrompts Standard();
};

}  // namespace Vellumetric

#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>
#include <string_view>

class QWidget;
class QTabWidget;

namespace Vellumetric {

// How each widget of the program is reached without a mouse and read by a screen reader, kept
// in one table (TWidgetAccess.cpp): a command's key, shown in its tooltip; a control's
// accessible name and description; the keys of the summary's pages. The table is applied to
// every widget as it is first shown, by a filter on the application, so the windows need not
// know and widgets made anew for each scan get theirs too. A new command or control gets its
// row there.
class TWidgetAccess final : public QObject {
 public:
  // Installs the filter on the application once; later calls do nothing.
  static void Install();

  // A command's key by its name in the table ("Scan Again"): the platform's standard key for
  // it, or the program's own where the platform has none. Empty for a name not in the table.
  [[nodiscard]] static QKeySequence KeyOf(std::string_view command);

  // Applies the table to `widget` now (what the filter does when it is first shown).
  static void Apply(QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TWidgetAccess() = default;
};

}  // namespace Vellumetric

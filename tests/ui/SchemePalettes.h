#pragma once

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <utility>
#include <vector>

namespace Vellumetric::Testing {

// qt6ct's "darker" colour scheme (/usr/share/qt6ct/colors/darker.conf), role by role in the
// order of QPalette::ColorRole: what a user of a dark Qt desktop gets.
inline QPalette DarkScheme() {
  static const char* const kColours[] = {
      "#ffffff", "#424245", "#979797", "#5e5c5b", "#302f2e", "#4a4947", "#ffffff",
      "#ffffff", "#ffffff", "#3d3d3d", "#222020", "#e7e4e0", "#12608a", "#f9f9f9",
      "#0986d3", "#a70b06", "#5c5b5a", "#ffffff", "#3f3f36", "#ffffff", "#80ffffff"};
  QPalette p;
  for (int role = 0; role < 21; ++role) {
    if (role == QPalette::NoRole) continue;
    p.setColor(static_cast<QPalette::ColorRole>(role), QColor(QString::fromLatin1(kColours[role])));
  }
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
  p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
  return p;
}

// White on black with a bright highlight, as the high-contrast schemes of desktops have it.
inline QPalette HighContrastScheme() {
  QPalette p(Qt::white, Qt::black, Qt::white, Qt::black, Qt::gray, Qt::white, Qt::white, Qt::black,
             Qt::black);
  p.setColor(QPalette::Highlight, QColor(0x1a, 0xeb, 0xff));
  p.setColor(QPalette::HighlightedText, Qt::black);
  p.setColor(QPalette::Link, QColor(0xff, 0xff, 0x00));
  return p;
}

// The three schemes with a name for messages; the light one is the style's own.
inline std::vector<std::pair<const char*, QPalette>> ColourSchemes() {
  return {{"light", QApplication::style()->standardPalette()},
          {"dark", DarkScheme()},
          {"high contrast", HighContrastScheme()}};
}

// Sets a scheme for the application while it lives, then puts the old one back.
class TSchemeInUse {
 public:
  explicit TSchemeInUse(const QPalette& palette) : Old(QApplication::palette()) {
    QApplication::setPalette(palette);
  }
  ~TSchemeInUse() { QApplication::setPalette(Old); }

 private:
  QPalette Old;
};

}  // namespace Vellumetric::Testing

#include "ui/Appearance.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <memory>

namespace orvale::ui {
namespace {

QPalette darkPalette() {
    QPalette palette;
    const QColor window(0x2b, 0x2d, 0x31);
    const QColor base(0x1f, 0x20, 0x23);
    const QColor text(0xe8, 0xe9, 0xeb);
    const QColor disabled(0x7a, 0x7d, 0x83);
    const QColor accent(0x3d, 0x8b, 0xfd);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, disabled);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3c, 0x41));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Light, QColor(0x4a, 0x4c, 0x52));
    palette.setColor(QPalette::Midlight, QColor(0x40, 0x42, 0x47));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x32, 0x36));
    palette.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, accent.lighter(120));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, disabled);
    }
    return palette;
}

}  // namespace

QPalette paletteFor(AppearancePreference appearance, const QPalette& desktop) {
    switch (appearance) {
        case AppearancePreference::light: {
            const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
            return fusion->standardPalette();
        }
        case AppearancePreference::dark:
            return darkPalette();
        case AppearancePreference::system:
            break;
    }
    return desktop;
}

void applyAppearance(AppearancePreference appearance) {
    static const QPalette desktop = QApplication::palette();
    QApplication::setPalette(paletteFor(appearance, desktop));
}

}  // namespace orvale::ui

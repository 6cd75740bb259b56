#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>
#include <string>

namespace orvale::ui {

// The small pieces every window of the interface is built from, so that they
// all look and read alike. Each returns a widget without a parent; the caller
// puts it in a layout.

// Text from the model's UTF-8.
inline QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

// A section's title, bold, with its one-line subtitle beneath in the
// secondary tone. The title is also the group's accessible name.
QWidget* sectionHeader(const QString& title, const QString& subtitle = {});

// A wrapped line of secondary text: a note, a hint or a status.
QLabel* note(const QString& text);

// A wrapped line of body text.
QLabel* body(const QString& text);

// A large bold line opening a window or an introduction.
QLabel* headline(const QString& text);

// An icon from the desktop's icon theme, empty when the theme has none.
QLabel* symbol(const QString& themeName, int size = 24);

}  // namespace orvale::ui

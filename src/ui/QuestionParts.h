#pragma once

#include <QPushButton>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

namespace orvale::ui {

// What the three question windows (resolution, missing displays, chooser)
// share. Each builds its whole content afresh when the model's question
// changes, so a content widget is replaced rather than edited.

// A question's header: a theme icon beside a headline, a sentence and a
// secondary line (left out when empty).
QWidget* questionHeader(const QString& themeIcon, const QString& headlineText,
                        const QString& sentence, const QString& secondary = {});

// What a question window shows with nothing to ask: an icon, a line and the
// default button "Close" that runs `close`.
QWidget* nothingToAsk(const QString& themeIcon, const QString& text, std::function<void()> close);

// A push button with its object name; the default one answers Enter.
QPushButton* button(const QString& text, const char* objectName, bool isDefault = false);

// Puts `fresh` in `content`'s place in `column` and deletes the old content
// at once, so never from a handler of one of its own controls: views replace
// content from their model watch, which runs from the event loop.
void replaceContent(QVBoxLayout* column, QWidget*& content, QWidget* fresh);

}  // namespace orvale::ui

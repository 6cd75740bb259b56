#pragma once

#include <QDialog>
#include <QPushButton>
#include <QString>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "ui/ViewContext.h"

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

// The frame of a question window: the model and presenter, and one content
// widget replaced whenever the question changes.
//
// Threads: main thread only. The context outlives the window.
class QuestionWindow : public QDialog {
  protected:
    QuestionWindow(const ViewContext& context, std::string_view windowID, const char* objectName,
                   const QString& title);

    // Whether the question with this id (none: no question) is not the one
    // shown; from then on it counts as shown.
    bool changedTo(const std::optional<Uuid>& questionID);
    // Shows `fresh` and deletes the old content at once, so never from a
    // handler of one of the old content's controls: views replace content
    // from their model watch, which runs from the event loop.
    void replaceContent(QWidget* fresh);
    // Closes the window without answering the model.
    void closeWindow() { presenter_.close(windowID_); }

    AppModel& model_;
    WindowPresenter& presenter_;

  private:
    std::string windowID_;
    QVBoxLayout* column_ = nullptr;
    QWidget* content_ = nullptr;
    bool shown_ = false;
    std::optional<Uuid> questionID_;
};

}  // namespace orvale::ui

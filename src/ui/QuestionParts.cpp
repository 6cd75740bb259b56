#include "ui/QuestionParts.h"

#include <QHBoxLayout>

#include "ui/FormParts.h"

namespace orvale::ui {

QWidget* questionHeader(const QString& themeIcon, const QString& headlineText,
                        const QString& sentence, const QString& secondary) {
    auto* header = new QWidget;
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(symbol(themeIcon, 32), 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(headline(headlineText));
    texts->addWidget(body(sentence));
    if (!secondary.isEmpty()) texts->addWidget(note(secondary));
    row->addLayout(texts, 1);
    return header;
}

QWidget* nothingToAsk(const QString& themeIcon, const QString& text, std::function<void()> close) {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->addWidget(symbol(themeIcon, 32), 0, Qt::AlignHCenter);
    QLabel* line = body(text);
    line->setAlignment(Qt::AlignHCenter);
    column->addWidget(line);
    QPushButton* closeButton = button("Close", "close-button", true);
    QObject::connect(closeButton, &QPushButton::clicked, content, std::move(close));
    column->addWidget(closeButton, 0, Qt::AlignRight);
    return content;
}

QPushButton* button(const QString& text, const char* objectName, bool isDefault) {
    auto* made = new QPushButton(text);
    made->setObjectName(QString::fromLatin1(objectName));
    made->setDefault(isDefault);
    return made;
}

QuestionWindow::QuestionWindow(const ViewContext& context, std::string_view windowID,
                               const char* objectName, const QString& title)
    : model_(context.model),
      presenter_(context.presenter),
      windowID_(windowID),
      column_(new QVBoxLayout(this)) {
    setObjectName(QString::fromLatin1(objectName));
    setWindowTitle(title);
}

bool QuestionWindow::changedTo(const std::optional<Uuid>& questionID) {
    if (shown_ && questionID == questionID_) return false;
    shown_ = true;
    questionID_ = questionID;
    return true;
}

void QuestionWindow::replaceContent(QWidget* fresh) {
    delete content_;
    content_ = fresh;
    column_->addWidget(fresh);
}

}  // namespace orvale::ui

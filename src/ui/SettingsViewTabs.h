#pragma once

#include <QLayout>
#include <QString>
#include <QWidget>

#include "ui/Illustration.h"
#include "ui/ViewContext.h"

namespace orvale::ui {

// The tabs of the settings window other than Shortcuts, which has its own
// file. Each follows the model for as long as it lives and returns a widget
// without a parent.
//
// Threads: main thread only. The context outlives every tab.
QWidget* makeGeneralTab(const ViewContext& context);
QWidget* makeApplicationsTab(const ViewContext& context);
QWidget* makeStorageTab(const ViewContext& context);
QWidget* makeAboutTab();

// The block a tab opens with: its illustration, a headline and a sentence.
QWidget* introduction(const QString& headline, const QString& sentence, Illustration::Kind kind);

// Deletes every item of `layout`, widgets included, so that a list the model
// changed can be built again.
void clearLayout(QLayout* layout);

// A label with its object name, so that tests and the accessibility tree can
// find it.
template <typename Widget>
Widget* named(Widget* widget, const char* objectName) {
    widget->setObjectName(QString::fromLatin1(objectName));
    return widget;
}

}  // namespace orvale::ui

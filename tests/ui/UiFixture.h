#pragma once

// A model over the simulated desktop, as in the model's tests, with the
// interface's views on Qt's offscreen platform. settleUi() runs the model's
// work and then the views' redraws until nothing is left.

#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <string>

#include "app/ModelFixture.h"
#include "ui/ViewContext.h"

namespace orvale::testing {

class UiFixture : public ModelFixture {
  protected:
    ui::KeyLabelWatch keyLabels;

    ui::ViewContext context() { return ui::ViewContext{*model, presenter, keyboard, keyLabels}; }

    void settleUi() {
        for (int round = 0; round < 100; ++round) {
            settle();
            QCoreApplication::processEvents();
            if (storeExecutor.runAll() + windowExecutor.runAll() + restoreExecutor.runAll() +
                    mainThread.runReady() ==
                0) {
                QCoreApplication::processEvents();
                return;
            }
        }
        ADD_FAILURE() << "the model and the views never settled";
    }

    // The child of `root` with this object name, which must exist.
    template <typename Widget = QWidget>
    static Widget* find(const QWidget& root, const std::string& name) {
        auto* found = root.findChild<Widget*>(QString::fromStdString(name));
        EXPECT_NE(found, nullptr) << "no " << name;
        return found;
    }

    // The text of the label `name` under `root`; empty when it would not show
    // with `root`.
    static QString visibleText(const QWidget& root, const std::string& name) {
        auto* label = find<QLabel>(root, name);
        return label && label->isVisibleTo(&root) ? label->text() : QString();
    }

    // Whether a label under `root` that shows when `root` does reads `text`.
    static bool shows(const QWidget& root, const QString& text) {
        const auto labels = root.findChildren<QLabel*>();
        return std::any_of(labels.begin(), labels.end(), [&](const QLabel* label) {
            return label->text() == text && label->isVisibleTo(&root);
        });
    }
};

}  // namespace orvale::testing

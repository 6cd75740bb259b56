#include "ui/ShortcutsTab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>
#include <map>
#include <utility>
#include <vector>

#include "ui/FormParts.h"
#include "ui/Illustration.h"
#include "ui/ModelWatch.h"
#include "ui/ShortcutRecorderWidget.h"

namespace orvale::ui {
namespace {

// "Name" on the left, the recorder on the right.
QHBoxLayout* recorderRow(const QString& title, ShortcutRecorderWidget* recorder) {
    auto* row = new QHBoxLayout;
    row->addWidget(body(title), 1, Qt::AlignTop);
    row->addWidget(recorder);
    return row;
}

class ShortcutsTab final : public QWidget {
  public:
    explicit ShortcutsTab(const ViewContext& context) : context_(context) {
        setObjectName("shortcuts-tab");
        auto* column = new QVBoxLayout(this);

        auto* intro = new QHBoxLayout;
        intro->addWidget(new Illustration(Illustration::Kind::keyboard));
        auto* words = new QVBoxLayout;
        words->addWidget(headline("Keys That Bring It Back."));
        words->addWidget(body("Restore a layout from anywhere with a shortcut of your own."));
        words->addStretch(1);
        intro->addLayout(words, 1);
        column->addLayout(intro);

        column->addWidget(
            sectionHeader("Global Shortcut", "Restore the selected layout from anywhere."));
        column->addWidget(note(
            "At least one modifier is required. Shift-only shortcuts can replace ordinary typing "
            "or selection and are marked with a warning. Standard desktop shortcuts such as Ctrl+A "
            "are not available."));
        global_ = new ShortcutRecorderWidget(
            context_, "Restore selected layout",
            [this](const std::optional<Shortcut>& shortcut, ShortcutRecorderWidget::Reply reply) {
                reply(context_.model.setGlobalShortcut(shortcut));
            });
        global_->setObjectName("global-shortcut-recorder");
        column->addLayout(recorderRow("Restore selected layout", global_));

        column->addWidget(sectionHeader("Layout Shortcuts"));
        layoutRows_ = new QVBoxLayout;
        column->addLayout(layoutRows_);
        column->addStretch(1);

        watchModel(context_.model, this,
                   {AppModel::Property::layouts, AppModel::Property::globalShortcut,
                    AppModel::Property::pendingMutations},
                   [this] { refresh(); });
        refresh();
    }

  private:
    using Row = std::pair<Uuid, std::string>;

    void refresh() {
        const bool enabled = !context_.model.hasPendingShortcutMutation();
        global_->setShortcut(context_.model.globalShortcut());
        global_->setEnabled(enabled);
        // The rows are kept while the same layouts are listed, so that a
        // recording survives the model's other changes.
        std::vector<Row> rows;
        for (const Layout& layout : context_.model.layouts())
            rows.emplace_back(layout.id, layout.name);
        if (rows != shownRows_) rebuildRows(rows);
        for (const Layout& layout : context_.model.layouts()) {
            ShortcutRecorderWidget* recorder = recorders_.at(layout.id);
            recorder->setShortcut(layout.shortcut);
            recorder->setEnabled(enabled);
        }
    }

    void rebuildRows(std::vector<Row> rows) {
        // Redrawn from the event loop, never from inside a control of the rows.
        delete rowsContent_;
        recorders_.clear();
        rowsContent_ = new QWidget;
        auto* column = new QVBoxLayout(rowsContent_);
        column->setContentsMargins(0, 0, 0, 0);
        for (const auto& [id, name] : rows) {
            auto* recorder = new ShortcutRecorderWidget(
                context_, qt("Restore " + name),
                [this, id](const std::optional<Shortcut>& shortcut,
                           ShortcutRecorderWidget::Reply reply) {
                    context_.model.setLayoutShortcut(shortcut, id, std::move(reply));
                });
            recorder->setObjectName("layout-shortcut-recorder");
            recorders_.emplace(id, recorder);
            column->addLayout(recorderRow(qt(name), recorder));
        }
        if (rows.empty()) column->addWidget(note("Save a layout to give it its own shortcut."));
        layoutRows_->addWidget(rowsContent_);
        shownRows_ = std::move(rows);
    }

    ViewContext context_;
    ShortcutRecorderWidget* global_ = nullptr;
    QVBoxLayout* layoutRows_ = nullptr;
    QPointer<QWidget> rowsContent_;
    std::optional<std::vector<Row>> shownRows_;
    std::map<Uuid, ShortcutRecorderWidget*> recorders_;
};

}  // namespace

std::unique_ptr<QWidget> makeShortcutsTab(const ViewContext& context) {
    return std::make_unique<ShortcutsTab>(context);
}

}  // namespace orvale::ui

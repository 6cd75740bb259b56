#pragma once

#include <QDialog>
#include <vector>

#include "ui/SettingsViewExclusions.h"

class QLineEdit;
class QListWidget;

namespace orvale::ui {

// The dialog "Add applications": the applications installed for this user
// (their desktop entries), filtered as the user types, several chosen at
// once.
//
// Threads: main thread only. Reads the desktop entries when built, which may
// read every entry file the first time in the process.
class ApplicationChooser final : public QDialog {
  public:
    explicit ApplicationChooser(QWidget* parent = nullptr);

    // The applications selected when the user pressed "Add", in list order.
    std::vector<ChosenApplication> chosen() const;

  private:
    void filter(const QString& text);

    QLineEdit* filter_ = nullptr;
    QListWidget* list_ = nullptr;
};

}  // namespace orvale::ui

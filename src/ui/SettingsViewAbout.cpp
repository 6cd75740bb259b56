// The About tab: what the program is and which build this is.

#include <QApplication>
#include <QIcon>
#include <QSysInfo>
#include <QVBoxLayout>

#include "ui/FormParts.h"
#include "ui/SettingsViewTabs.h"

#ifndef ORVALE_VERSION
#error "ORVALE_VERSION comes from the build: the project's version"
#endif
#ifndef ORVALE_BUILD
#error "ORVALE_BUILD comes from the build: the number of commits, or 1"
#endif

namespace orvale::ui {

QWidget* makeAboutTab() {
    auto* tab = new QWidget;
    auto* column = new QVBoxLayout(tab);
    column->addStretch();
    auto* icon = new QLabel;
    const QIcon programIcon = QIcon::fromTheme("org.orvale.Orvale", QApplication::windowIcon());
    if (!programIcon.isNull()) icon->setPixmap(programIcon.pixmap(64, 64));
    column->addWidget(icon, 0, Qt::AlignHCenter);
    for (QLabel* label : {
             named(headline("Orvale"), "about-name"),
             named(body(QString("Version %1 (%2)").arg(ORVALE_VERSION, ORVALE_BUILD)),
                   "about-version"),
             body("Save the arrangement of open windows and bring it back when you need it."),
             named(note("Linux · X11 · " + QSysInfo::buildCpuArchitecture()), "about-platform"),
             note("Everything stays on this computer. No account, tracking, or cloud sync."),
         }) {
        label->setAlignment(Qt::AlignHCenter);
        column->addWidget(label);
    }
    column->addStretch();
    return tab;
}

}  // namespace orvale::ui

#include "ui/MotionPreference.h"

#include <QApplication>
#include <QStyle>

#include "platform/xdg/MotionSetting.h"
#include "storage/XdgPaths.h"

namespace orvale::ui {

bool motionReduced() {
    if (qEnvironmentVariableIntValue("ORVALE_REDUCE_MOTION") == 1) return true;
    if (QApplication::style() &&
        QApplication::style()->styleHint(QStyle::SH_Widget_Animation_Duration) == 0) {
        return true;
    }
    const auto config = configHome(processEnvironment());
    return config && xdg::desktopReducesMotion(*config);
}

}  // namespace orvale::ui

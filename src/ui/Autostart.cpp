#include "ui/Autostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace orvale::ui {

QString desktopExecArgument(const QString& path) {
    static const QString plain =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._+-";
    bool quoted = false;
    for (QChar c : path) quoted = quoted || !plain.contains(c);
    if (!quoted) return path;
    QString escaped;
    for (QChar c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') escaped += '\\';
        if (c == '%') escaped += '%';
        escaped += c;
    }
    // The file's own string escapes come on top of the quoting: each backslash
    // is written twice.
    QString argument = '"' + escaped + '"';
    return argument.replace("\\", "\\\\");
}

QString autostartEntryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(config)) config = QDir::homePath() + "/.config";
    return config + "/autostart/org.orvale.Orvale.desktop";
}

bool startsAtLogin() {
    return QFileInfo::exists(autostartEntryPath());
}

std::optional<QString> setStartsAtLogin(bool on) {
    const QString path = autostartEntryPath();
    if (!on) {
        QFile entry(path);
        if (!entry.exists() || entry.remove()) return std::nullopt;
        return "Couldn’t remove “" + path + "”: " + entry.errorString();
    }
    if (!QDir().mkpath(QFileInfo(path).path())) {
        return "Couldn’t create the folder “" + QFileInfo(path).path() + "”.";
    }
    QSaveFile entry(path);
    if (entry.open(QIODevice::WriteOnly)) {
        const QString text =
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Orvale\n"
            "Comment=Save the arrangement of your windows and put them back later\n"
            "Exec=" +
            desktopExecArgument(QCoreApplication::applicationFilePath()) +
            "\n"
            "Icon=org.orvale.Orvale\n"
            "Terminal=false\n"
            "StartupNotify=false\n";
        entry.write(text.toUtf8());
        if (entry.commit()) return std::nullopt;
    }
    return "Couldn’t write “" + path + "”: " + entry.errorString();
}

}  // namespace orvale::ui

#include "gui/qt/DesktopShell.h"

#include "errors/Failure.h"
#include "platform/Shell.h"
#include "platform/Paths.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

namespace gui::qt {

using namespace platform;

namespace {

// Long enough for xdg-mime to read the desktop's settings; it never needs the network.
constexpr int kQueryTimeoutMs = 5000;

// True when `file` starts with an address scheme ("mailto:", "https:"). One letter before the
// colon is a drive, not a scheme.
bool mfblnIsAddress(std::string_view file)
{
    const auto colon = file.find(':');
    if (colon == std::string_view::npos || colon < 2)
        return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(file[i]);
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!(letter || (i > 0 && other)))
            return false;
    }
    return true;
}

// The host path of a program named by a .desktop entry or a plain name, or empty.
QString mfqsResolveProgram(const QString& program)
{
    if (program.isEmpty())
        return {};
    if (QFileInfo(program).isAbsolute()) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? program : QString();
    }
    return QStandardPaths::findExecutable(program);
}

// The program the desktop's MIME defaults name for `mimeType`, or empty.
QString mfqsDesktopDefault(const QString& mimeType)
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return {};
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kQueryTimeoutMs) || query.exitStatus() != QProcess::NormalExit ||
        query.exitCode() != 0)
        return {};
    const QString desktopId = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    if (desktopId.isEmpty())
        return {};
    const QString entryPath = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, desktopId);
    QFile entry(entryPath);
    if (entryPath.isEmpty() || !entry.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = entry.readAll();
    return mfqsResolveProgram(
        QString::fromStdString(gfstrDesktopEntryProgram(std::string_view(text.constData(), text.size()))));
}

std::int32_t msFindExecutable(std::string_view file, std::string& program)
{
    program.clear();
    QString host;
    try {
        host = QString::fromStdString(gfstrHostPath(file));
    } catch (const Failure&) {
        return shellFileNotFound;
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(host);
    QString found = mfqsDesktopDefault(type.name());
    if (found.isEmpty() && type.inherits(QStringLiteral("text/html")))
        found = mfqsResolveProgram(QStringLiteral("sensible-browser"));
    if (found.isEmpty())
        found = mfqsResolveProgram(QStringLiteral("xdg-open"));
    if (found.isEmpty())
        return shellNoAssociation;
    program = gfstrWindowsPath(found.toStdString());
    return shellSuccess;
}

std::int32_t msShellExecute(std::string_view operation, std::string_view file, std::string_view parameters)
{
    if (!operation.empty() && operation != "open")
        return shellNoAssociation;
    const QString target = QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()));
    if (mfblnIsAddress(file))
        return QDesktopServices::openUrl(QUrl(target)) ? shellSuccess : shellNoAssociation;
    QString host;
    try {
        host = QString::fromStdString(gfstrHostPath(file));
    } catch (const Failure&) {
        return shellFileNotFound;
    }
    const QFileInfo info(host);
    if (info.isFile() && info.isExecutable()) {
        const QStringList arguments = QProcess::splitCommand(
            QString::fromUtf8(parameters.data(), static_cast<qsizetype>(parameters.size())));
        return QProcess::startDetached(host, arguments) ? shellSuccess : shellAccessDenied;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(host)) ? shellSuccess : shellNoAssociation;
}

} // namespace

void gsInstallDesktopShell()
{
    ShellServices& shell = gudtShellServices();
    shell.ShellExecute = msShellExecute;
    shell.FindExecutable = msFindExecutable;
}

std::string gfstrDesktopEntryProgram(std::string_view desktopFile)
{
    const QStringList lines = QString::fromUtf8(desktopFile.data(), static_cast<qsizetype>(desktopFile.size()))
                                  .split(QLatin1Char('\n'));
    bool inEntry = false;
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const auto equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed() != QStringLiteral("Exec"))
            continue;
        const QStringList words = QProcess::splitCommand(line.mid(equals + 1));
        qsizetype first = 0;
        if (first < words.size() && words[first] == QStringLiteral("env")) {
            ++first;
            while (first < words.size() && words[first].contains(QLatin1Char('=')))
                ++first;
        }
        return first < words.size() ? words[first].toStdString() : std::string();
    }
    return {};
}

} // namespace gui::qt

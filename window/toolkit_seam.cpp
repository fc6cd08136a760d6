#include "toolkit_seam.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QString>
#include <QUrl>

namespace humitrax {
namespace {

const QString kTitle = QStringLiteral("Humitrax");

} // namespace

void QtToolkitSeam::showCritical(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, kTitle, text, QMessageBox::Ok, owner);
    box.exec();
}

Answer QtToolkitSeam::askYesNo(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Yes | QMessageBox::No, owner);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

void QtToolkitSeam::openUrl(QWidget* /*owner*/, const QUrl& address)
{
    // The desktop picks the browser; whether it managed to is not our concern.
    QDesktopServices::openUrl(address);
}

} // namespace humitrax

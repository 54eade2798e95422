#include "updates/tray_update_presenter.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QUrl>

namespace tintwell::updates {
namespace {

// Non-modal, so the event loop (ticks, ramps) carries on while the dialog is open.
void showMessage(QMessageBox* box) {
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle("Tintwell");
    box->setWindowModality(Qt::NonModal);
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace

TrayUpdatePresenter::TrayUpdatePresenter(std::function<QSystemTrayIcon*()> trayIcon)
    : trayIcon_(std::move(trayIcon)) {}

void TrayUpdatePresenter::showAvailable(const AppcastItem& item, const std::string& currentVersion) {
    auto* box = new QMessageBox(QMessageBox::Information, "Tintwell", availableText(item, currentVersion));
    if (item.releaseNotesLink) {
        box->setTextFormat(Qt::RichText);
        box->setTextInteractionFlags(Qt::TextBrowserInteraction);
        const QString notes = QString::fromStdString(*item.releaseNotesLink).toHtmlEscaped();
        box->setInformativeText(QString("<a href=\"%1\">Release notes</a>").arg(notes));
    }
    QPushButton* download = box->addButton("Download…", QMessageBox::AcceptRole);
    box->addButton("Later", QMessageBox::RejectRole);
    const QUrl link(QString::fromStdString(item.downloadLink().value_or("")));
    QObject::connect(download, &QPushButton::clicked, box, [link] {
        if (link.isValid())
            QDesktopServices::openUrl(link);
    });
    showMessage(box);
}

void TrayUpdatePresenter::showUpToDate() {
    showMessage(new QMessageBox(QMessageBox::Information, "Tintwell", upToDateText()));
}

void TrayUpdatePresenter::showError(const QString& reason) {
    showMessage(new QMessageBox(QMessageBox::Warning, "Tintwell", errorText(reason)));
}

void TrayUpdatePresenter::showNoFeed() {
    showMessage(new QMessageBox(QMessageBox::Information, "Tintwell", noFeedText()));
}

void TrayUpdatePresenter::notifyAvailable(const AppcastItem& item, const std::string& currentVersion) {
    if (QSystemTrayIcon* icon = trayIcon_ ? trayIcon_() : nullptr)
        icon->showMessage("Tintwell", availableText(item, currentVersion));
}

} // namespace tintwell::updates

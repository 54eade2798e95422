#include "ui/screens/save_profile_panel.h"

#include "settings/profile_manager.h"
#include "ui/widgets/focus_order.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace tintwell::ui {

SaveProfilePanel::SaveProfilePanel(settings::ProfileManager& profiles, QWidget* parent)
    : QWidget(parent), profiles_(profiles), name_(new QLineEdit(this)),
      save_(new QPushButton(QStringLiteral("Save"), this)) {
    setObjectName(QStringLiteral("saveProfilePanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    auto* title = new QLabel(QStringLiteral("Save profile"), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    auto* message = new QLabel(
        QStringLiteral(
            "Captures the current Day / Night / Twilight / Brightness / Gamma values as a new profile."),
        this);
    message->setWordWrap(true);
    layout->addWidget(message);
    name_->setObjectName(QStringLiteral("profileNameField"));
    name_->setPlaceholderText(QStringLiteral("Name"));
    name_->setAccessibleName(QStringLiteral("Name"));
    layout->addWidget(name_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelSaveProfile"));
    buttons->addWidget(cancel);
    save_->setObjectName(QStringLiteral("saveProfile"));
    save_->setDefault(true);
    showFocusRing(save_); // the default look is the focus look
    buttons->addWidget(save_);
    layout->addLayout(buttons);
    layout->addStretch(1);

    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        profiles_.setNewProfileName(text.toStdString());
        save_->setEnabled(!text.trimmed().isEmpty());
    });
    connect(name_, &QLineEdit::returnPressed, save_, &QPushButton::click);
    connect(save_, &QPushButton::clicked, this, [this] {
        profiles_.saveNewProfile();
        Q_EMIT finished();
    });
    connect(cancel, &QPushButton::clicked, this, &SaveProfilePanel::finished);
}

void SaveProfilePanel::begin() {
    name_->setText(QString::fromStdString(profiles_.newProfileName()));
    save_->setEnabled(!name_->text().trimmed().isEmpty());
    name_->setFocus();
}

void SaveProfilePanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT finished();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace tintwell::ui

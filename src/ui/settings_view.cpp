#include "ui/settings_view.h"

#include "ui/main_screen.h"
#include "ui/popup_geometry.h"
#include "ui/popup_window.h"
#include "ui/save_profile_panel.h"
#include "ui/symbol_provider.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace tintwell::ui {

SettingsView::SettingsView(ViewContext context, QWidget* parent)
    : QStackedWidget(parent), ctx_(std::move(context)), main_(new MainScreen(ctx_)),
      scroll_(new QScrollArea(this)), saveProfile_(new SaveProfilePanel(*ctx_.profiles)) {
    setObjectName(QStringLiteral("settingsView"));
    scroll_->setWidget(main_);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus); // Tab goes straight to the first control
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    main_->installEventFilter(this);
    pages_[Screen::Main] = scroll_;
    addWidget(scroll_);
    pages_[Screen::SaveProfile] = saveProfile_;
    addWidget(saveProfile_);
    pages_[Screen::Help] = placeholderScreen(QStringLiteral("Help"));
    pages_[Screen::ProfileManager] = placeholderScreen(QStringLiteral("Profiles"));
    pages_[Screen::Hotkeys] = placeholderScreen(QStringLiteral("Hotkeys"));
    pages_[Screen::AppExceptions] = placeholderScreen(QStringLiteral("App exceptions"));
    pages_[Screen::Location] = placeholderScreen(QStringLiteral("Location"));

    connect(main_, &MainScreen::screenRequested, this, &SettingsView::showScreen);
    connect(saveProfile_, &SaveProfilePanel::finished, this, [this] { showScreen(Screen::Main); });
    measure();
}

QWidget* SettingsView::placeholderScreen(const QString& title) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 10, 12, 12);
    auto* header = new QHBoxLayout;
    auto* back = new QToolButton(page);
    back->setObjectName(QStringLiteral("backButton"));
    back->setIcon(SymbolProvider::icon(QStringLiteral("chevron.left")));
    back->setText(QStringLiteral("Back"));
    back->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back->setAutoRaise(true);
    connect(back, &QToolButton::clicked, this, [this] { showScreen(Screen::Main); });
    header->addWidget(back);
    auto* heading = new QLabel(title, page);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    header->addWidget(heading, 1, Qt::AlignCenter);
    header->addSpacing(back->sizeHint().width());
    layout->addLayout(header);
    layout->addStretch(1);
    addWidget(page);
    return page;
}

void SettingsView::showScreen(Screen screen) {
    current_ = screen;
    setCurrentWidget(pages_.at(screen));
    if (screen == Screen::SaveProfile)
        saveProfile_->begin();
    else if (currentWidget()->isVisible())
        focusFirstControl(currentWidget());
}

void SettingsView::setHeightCap(int cap) {
    heightCap_ = cap;
    updateGeometry();
    Q_EMIT preferredSizeChanged();
}

QSize SettingsView::sizeHint() const {
    return {popupWidth, std::min(heightCap_, contentHeight_)};
}

bool SettingsView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == main_ && event->type() == QEvent::LayoutRequest)
        measure();
    return QStackedWidget::eventFilter(watched, event);
}

void SettingsView::measure() {
    const int height = main_->sizeHint().height();
    if (height == contentHeight_)
        return;
    contentHeight_ = height;
    updateGeometry();
    Q_EMIT preferredSizeChanged();
}

} // namespace tintwell::ui

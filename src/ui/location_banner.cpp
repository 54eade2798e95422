#include "ui/location_banner.h"

#include "ui/symbol_provider.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tintwell::ui {

LocationBanner::LocationBanner(const QString& symbol, const QString& title, QWidget* parent)
    : QFrame(parent), text_(new QLabel(this)), first_(new QPushButton(this)), second_(new QPushButton(this)) {
    setProperty("banner", true);
    setStyleSheet(
        QStringLiteral("QFrame[banner=\"true\"] { background: rgba(255, 149, 0, 0.14); border: 1px solid "
                       "rgba(255, 149, 0, 0.45); border-radius: 6px; }"));
    const QColor orange(0xf0, 0x8c, 0x00);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    auto* icon = new QLabel(this);
    icon->setPixmap(SymbolProvider::paintedIcon(symbol, orange).pixmap(QSize(18, 18)));
    icon->setAlignment(Qt::AlignTop);
    outer->addWidget(icon);
    auto* column = new QVBoxLayout;
    auto* heading = new QLabel(title, this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    column->addWidget(heading);
    text_->setWordWrap(true);
    text_->hide();
    column->addWidget(text_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(first_);
    buttons->addWidget(second_);
    buttons->addStretch(1);
    column->addLayout(buttons);
    outer->addLayout(column, 1);
    setAccessibleName(title);
}

void LocationBanner::setText(const QString& text) {
    text_->setText(text);
    text_->setVisible(!text.isEmpty());
}

} // namespace tintwell::ui

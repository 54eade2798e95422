#include "ui/screens/secondary_screen.h"

#include "ui/widgets/focus_order.h"
#include "ui/widgets/symbol_provider.h"

#include <QFrame>
#include <QPushButton>
#include <QShortcut>

namespace tintwell::ui {

SecondaryScreen::SecondaryScreen(const QString& title, QWidget* parent, Content kind) : QWidget(parent) {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(12, 10, 12, 12);
    outer->setSpacing(8);
    auto* header = new QHBoxLayout;
    back_ = new QPushButton(SymbolProvider::icon("chevron.left"), "Back", this);
    back_->setObjectName("backButton");
    back_->setFlat(true);
    showFocusRing(back_);
    connect(back_, &QPushButton::clicked, this, &SecondaryScreen::backRequested);
    auto* titleLabel = headingLabel(title, this);
    titleLabel->setObjectName("screenTitle");
    trailing_ = new QHBoxLayout;
    header->addWidget(back_);
    header->addStretch(1);
    header->addWidget(titleLabel);
    header->addStretch(1);
    header->addLayout(trailing_);
    outer->addLayout(header);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    outer->addWidget(line);
    if (kind == Content::Scrolling) {
        const ScrollingColumn column = scrollingColumn(this);
        content_ = column.column;
        outer->addWidget(column.area, 1);
    } else {
        content_ = new QVBoxLayout;
        outer->addLayout(content_, 1);
    }
    content_->setSpacing(8);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, &SecondaryScreen::escape);
}

void SecondaryScreen::escape() {
    if (!closeInnerPage())
        Q_EMIT backRequested();
}

} // namespace tintwell::ui

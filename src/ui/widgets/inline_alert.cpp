#include "ui/widgets/inline_alert.h"

#include "ui/widgets/text_labels.h"

#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tintwell::ui {

InlineAlert::InlineAlert(QWidget* window, const QString& message, const QString& informative,
                         const QStringList& buttons)
    : QFrame(window) {
    setObjectName(QStringLiteral("inlineAlert"));
    setGeometry(window->rect());
    window->installEventFilter(this);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(16, 16, 16, 16);
    auto* card = new QFrame(this);
    card->setObjectName(QStringLiteral("alertCard"));
    card->setFrameShape(QFrame::StyledPanel);
    card->setAutoFillBackground(true);
    card->setAccessibleName(message);
    auto* column = new QVBoxLayout(card);
    auto* title = headingLabel(message, card);
    title->setWordWrap(true);
    column->addWidget(title);
    if (!informative.isEmpty())
        column->addWidget(captionLabel(informative, card));
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (qsizetype i = 0; i < buttons.size(); ++i) {
        auto* button = new QPushButton(buttons[i], card);
        button->setAutoDefault(true);
        connect(button, &QPushButton::clicked, this, [this, i] { Q_EMIT answered(static_cast<int>(i)); });
        row->addWidget(button);
    }
    column->addLayout(row);
    outer->addStretch(1);
    outer->addWidget(card);
    outer->addStretch(1);
}

int InlineAlert::ask(QWidget* window, const QString& message, const QString& informative,
                     const QStringList& buttons) {
    QPointer<InlineAlert> alert = new InlineAlert(window, message, informative, buttons);
    QPointer<QWidget> hadFocus = window->focusWidget();
    int answer = -1;
    QEventLoop loop;
    connect(alert, &InlineAlert::answered, &loop, [&](int index) {
        answer = index;
        loop.quit();
    });
    connect(alert, &QObject::destroyed, &loop, &QEventLoop::quit);
    alert->show();
    alert->raise();
    if (auto* first = alert->findChild<QPushButton*>())
        first->setFocus(Qt::OtherFocusReason);
    loop.exec();
    if (alert) {
        alert->hide();
        alert->deleteLater();
    }
    if (hadFocus)
        hadFocus->setFocus(Qt::OtherFocusReason);
    return answer;
}

void InlineAlert::keyPressEvent(QKeyEvent* event) {
    // Escape answers the alert; it must not also reach the popup, which would close.
    if (event->key() == Qt::Key_Escape) {
        Q_EMIT answered(-1);
        return;
    }
    QFrame::keyPressEvent(event);
}

void InlineAlert::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor dim = palette().color(QPalette::Window);
    dim.setAlpha(210);
    painter.fillRect(rect(), dim);
}

bool InlineAlert::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent()) {
        if (event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        else if (event->type() == QEvent::Hide)
            Q_EMIT answered(-1);
    }
    return QFrame::eventFilter(watched, event);
}

} // namespace tintwell::ui

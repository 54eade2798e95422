#include "ui/screens/profile_manager_screen.h"

#include "settings/builtin_presets.h"
#include "settings/profile_manager.h"
#include "ui/model/screen_texts.h"
#include "ui/widgets/symbol_provider.h"

#include <QAction>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace tintwell::ui {

namespace {
QString sectionHeader(const QString& title) {
    return title.toUpper();
}

QLabel* countLabel(QWidget* parent) {
    auto* label = captionLabel({}, parent);
    label->setWordWrap(false);
    return label;
}
} // namespace

ProfileRow::ProfileRow(const core::Profile& profile, bool isBuiltin, QWidget* parent)
    : QWidget(parent), id_(profile.id) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 2, 0, 2);
    mark_ = new QLabel(this);
    mark_->setFixedWidth(18);
    row->addWidget(mark_);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    QLabel* badge = nullptr;
    if (isBuiltin) {
        // The whole width goes to the name; the badge stands beside the values below it.
        auto* name = new ElidedLabel(this);
        name->setFullText(QString::fromStdString(profile.name));
        texts->addWidget(name);
        badge = captionLabel("built-in", this);
        badge->setWordWrap(false);
        badge->setStyleSheet(
            "color: #8e8e93; border: 1px solid #8e8e93; border-radius: 3px; padding: 0 3px;");
    } else {
        nameField_ = new QLineEdit(QString::fromStdString(profile.name), this);
        nameField_->setObjectName("profileName");
        nameField_->setPlaceholderText("Name");
        nameField_->setMinimumWidth(60);
        // A long name shows its start, as a label would, except while it is being edited.
        nameField_->setCursorPosition(0);
        nameField_->installEventFilter(this);
        connect(nameField_, &QLineEdit::returnPressed, nameField_,
                [f = nameField_] { f->setCursorPosition(0); });
        connect(nameField_, &QLineEdit::textEdited, this, &ProfileRow::renamed);
        texts->addWidget(nameField_);
    }
    summary_ = new ElidedLabel(this);
    styleAsCaption(summary_);
    auto* summaryLine = new QHBoxLayout;
    summaryLine->addWidget(summary_);
    if (badge)
        summaryLine->addWidget(badge);
    summaryLine->addStretch(1);
    texts->addLayout(summaryLine);
    row->addLayout(texts, 1);

    apply_ = new QToolButton(this);
    apply_->setText("Apply");
    apply_->setObjectName("applyProfile");
    connect(apply_, &QToolButton::clicked, this, &ProfileRow::applyRequested);
    row->addWidget(apply_);

    menuButton_ = new QToolButton(this);
    menuButton_->setObjectName("profileMenu");
    menuButton_->setText("⋯");
    menuButton_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(menuButton_);
    duplicate_ = menu->addAction("Duplicate", this, &ProfileRow::duplicateRequested);
    if (!isBuiltin) {
        moveUp_ = menu->addAction(SymbolProvider::icon("arrow.up"), "Move up", this,
                                  [this] { Q_EMIT moveRequested(-1); });
        moveDown_ = menu->addAction(SymbolProvider::icon("arrow.down"), "Move down", this,
                                    [this] { Q_EMIT moveRequested(+1); });
        menu->addSeparator();
        delete_ =
            menu->addAction(SymbolProvider::icon("trash"), "Delete", this, &ProfileRow::deleteRequested);
    }
    menuButton_->setMenu(menu);
    row->addWidget(menuButton_);
    update(profile, false, false, false);
}

void ProfileRow::update(const core::Profile& profile, bool isActive, bool canMoveUp, bool canMoveDown) {
    mark_->setText(isActive ? "●" : "○");
    mark_->setStyleSheet(isActive ? "color: #34c759;" : "color: palette(mid);");
    mark_->setToolTip(isActive ? "Active" : QString());
    if (const QString name = QString::fromStdString(profile.name);
        nameField_ && !nameField_->hasFocus() && nameField_->text() != name) {
        nameField_->setText(name);
        nameField_->setCursorPosition(0);
    }
    summary_->setFullText(QString::fromStdString(profileSummary(profile)));
    apply_->setVisible(!isActive);
    if (moveUp_)
        moveUp_->setEnabled(canMoveUp);
    if (moveDown_)
        moveDown_->setEnabled(canMoveDown);
}

bool ProfileRow::eventFilter(QObject* watched, QEvent* event) {
    // Leaving the field ends the edit, changed or not (tabbing through selects the whole name, which
    // leaves the cursor at its end); a context menu takes the focus only for a moment.
    if (watched == nameField_ && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        nameField_->setCursorPosition(0);
    return QWidget::eventFilter(watched, event);
}

ProfileManagerScreen::ProfileManagerScreen(settings::AppState& state, settings::ProfileManager& profiles,
                                           QWidget* parent)
    : SecondaryScreen("Profiles", parent), state_(state), profiles_(profiles) {
    setObjectName("profileManagerScreen");
    auto* add = new QToolButton(this);
    add->setObjectName("addProfile");
    add->setText("+");
    add->setToolTip("Save current settings as a new profile");
    headerTrailing()->addWidget(add);
    auto openSaveDialog = [this] {
        profiles_.setNewProfileName(profiles_.defaultNewProfileName());
        Q_EMIT saveProfileRequested();
    };
    connect(add, &QToolButton::clicked, this, openSaveDialog);

    const auto [scroll, body, layout] = scrollingColumn(this);

    auto* userHeader = new QHBoxLayout;
    userHeader->addWidget(captionLabel(sectionHeader("My profiles"), body));
    userCount_ = countLabel(body);
    userHeader->addWidget(userCount_);
    userHeader->addStretch(1);
    layout->addLayout(userHeader);

    emptyCard_ = new QFrame(body);
    emptyCard_->setObjectName("noProfilesCard");
    static_cast<QFrame*>(emptyCard_)->setFrameShape(QFrame::StyledPanel);
    auto* card = new QVBoxLayout(emptyCard_);
    card->addWidget(headingLabel("You haven’t saved any profiles yet.", emptyCard_));
    card->addWidget(captionLabel("Profiles capture your current Day, Night, Twilight, Brightness, and Gamma "
                                 "settings so you can switch between looks with one click.",
                                 emptyCard_));
    auto* saveNew = new QPushButton("Save current as new", emptyCard_);
    saveNew->setObjectName("saveCurrentAsNew");
    connect(saveNew, &QPushButton::clicked, this, openSaveDialog);
    card->addWidget(saveNew, 0, Qt::AlignLeft);
    card->addWidget(captionLabel("or duplicate a built-in preset below ↓", emptyCard_));
    layout->addWidget(emptyCard_);

    userList_ = new QVBoxLayout;
    layout->addLayout(userList_);
    layout->addSpacing(8);

    auto* presetHeader = new QHBoxLayout;
    presetHeader->addWidget(captionLabel(sectionHeader("Built-in presets"), body));
    auto* presetCount = countLabel(body);
    presetCount->setText(QString::number(settings::BuiltinPresets::all().size()));
    presetHeader->addWidget(presetCount);
    presetHeader->addStretch(1);
    layout->addLayout(presetHeader);
    presetList_ = new QVBoxLayout;
    layout->addLayout(presetList_);
    for (const core::Profile& preset : settings::BuiltinPresets::all())
        presetRows_.push_back(addRow(presetList_, preset, true));

    layout->addSpacing(8);
    layout->addWidget(
        captionLabel("Built-in presets are read-only. Duplicate one to make an editable copy, or "
                     "use “Save current as new” above to capture your current settings.",
                     body));
    layout->addStretch(1);
    content()->addWidget(scroll, 1);

    connect(&state_, &settings::AppState::profilesChanged, this, &ProfileManagerScreen::refresh);
    connect(&state_, &settings::AppState::activeProfileIdChanged, this, &ProfileManagerScreen::refresh);
    refresh();
}

ProfileRow* ProfileManagerScreen::addRow(QVBoxLayout* into, const core::Profile& profile, bool builtin) {
    auto* row = new ProfileRow(profile, builtin, this);
    const core::Uuid id = profile.id;
    connect(row, &ProfileRow::applyRequested, this, [this, id, builtin] {
        const auto p = builtin ? settings::BuiltinPresets::find(id) : state_.findProfile(id);
        if (p)
            state_.applyProfile(*p);
    });
    connect(row, &ProfileRow::duplicateRequested, this, [this, id, builtin] {
        const auto p = builtin ? settings::BuiltinPresets::find(id) : state_.findProfile(id);
        if (p)
            profiles_.duplicateProfile(*p, builtin ? "" : "Copy of ");
    });
    if (!builtin) {
        connect(row, &ProfileRow::moveRequested, this,
                [this, id](int step) { profiles_.moveProfile(id, step); });
        connect(row, &ProfileRow::deleteRequested, this, [this, id] { state_.deleteProfile(id); });
        connect(row, &ProfileRow::renamed, this, [this, id](const QString& name) {
            const auto binding = profiles_.userProfileBinding(id);
            core::Profile p = binding.value();
            p.name = name.toStdString();
            binding.setValue(p);
        });
    }
    into->addWidget(row);
    return row;
}

void ProfileManagerScreen::rebuildUserRows() {
    // A row may be deleting itself (its own menu asked): hide it now, delete it later.
    for (ProfileRow* row : userRows_) {
        row->hide();
        row->deleteLater();
    }
    userRows_.clear();
    // A row shown inside a column on view lays the whole column out again, which made a long list
    // take minutes: the rows are shown while the column is hidden, and appear with it.
    QWidget* column = userList_->parentWidget();
    column->hide();
    for (const core::Profile& p : state_.profiles()) {
        userRows_.push_back(addRow(userList_, p, false));
        userRows_.back()->show();
    }
    column->show();
    refresh();
}

void ProfileManagerScreen::refresh() {
    const auto& list = state_.profiles();
    userCount_->setText(QString::number(list.size()));
    emptyCard_->setVisible(list.empty());
    // Rows are widgets, hundreds of times the size of the profile each shows: none are made or kept
    // up to date until the screen is on view, so a long list costs nothing at start.
    if (!isVisible()) {
        rowsStale_ = true;
        return;
    }
    rowsStale_ = false;
    bool sameRows = list.size() == userRows_.size();
    for (std::size_t i = 0; sameRows && i < list.size(); ++i)
        sameRows = list[i].id == userRows_[i]->profileId();
    if (!sameRows) {
        rebuildUserRows();
        return;
    }
    const auto active = state_.activeProfileId();
    // The rows stand in list order: moving is possible everywhere but past either end.
    for (std::size_t i = 0; i < list.size(); ++i)
        userRows_[i]->update(list[i], active == list[i].id, i > 0, i + 1 < list.size());
    const auto& presets = settings::BuiltinPresets::all();
    for (std::size_t i = 0; i < presets.size(); ++i)
        presetRows_[i]->update(presets[i], active == presets[i].id, false, false);
}

void ProfileManagerScreen::showEvent(QShowEvent* event) {
    SecondaryScreen::showEvent(event);
    if (rowsStale_)
        refresh();
}

} // namespace tintwell::ui

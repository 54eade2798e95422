#include "ui/screens/app_exceptions_screen.h"

#include "platform/desktop_entry_file.h"
#include "settings/app_state.h"
#include "settings/display_lookup.h"
#include "ui/model/desktop_entry_file.h"
#include "ui/widgets/symbol_provider.h"
#include "watchers/app_exceptions_manager.h"
#include "watchers/display_windows.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>

namespace tintwell::ui {

namespace {
constexpr int kelvinStep = 50;

QLabel* badge(const QString& text, const QString& colour, QWidget* parent) {
    auto* label = captionLabel(text, parent);
    label->setWordWrap(false);
    label->setStyleSheet(
        QString("color: %1; border: 1px solid %1; border-radius: 3px; padding: 0 3px;").arg(colour));
    return label;
}
} // namespace

AppExceptionRow::AppExceptionRow(watchers::AppExceptionEditing::RuleBinding rule, double kelvin,
                                 QWidget* parent)
    : QWidget(parent), rule_(std::move(rule)), kelvin_(kelvin) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(3);
    auto* top = new QHBoxLayout;
    enabled_ = new QCheckBox(this);
    enabled_->setObjectName("ruleEnabled");
    enabled_->setToolTip("Enabled");
    connect(enabled_, &QCheckBox::toggled, this, [this](bool on) {
        core::AppExceptionRule r = rule_.get();
        if (r.enabled == on)
            return;
        r.enabled = on;
        rule_.set(r);
    });
    top->addWidget(enabled_);
    auto* names = new QVBoxLayout;
    names->setSpacing(0);
    auto* nameLine = new QHBoxLayout;
    nameLine->setSpacing(6); // its column's spacing is none, which would put the badge against the name
    name_ = new ElidedLabel(this);
    activeBadge_ = badge("active", "#34c759", this);
    nameLine->addWidget(name_, 1);
    nameLine->addWidget(activeBadge_);
    names->addLayout(nameLine);
    // Ids have no spaces to wrap at: the end is cut instead.
    bundleId_ = new ElidedLabel(this);
    styleAsCaption(bundleId_);
    names->addWidget(bundleId_);
    top->addLayout(names, 1);
    auto* remove = new QToolButton(this);
    remove->setObjectName("removeRule");
    remove->setIcon(SymbolProvider::icon("trash"));
    remove->setToolTip("Remove");
    remove->setAutoRaise(true);
    connect(remove, &QToolButton::clicked, this, &AppExceptionRow::removeRequested);
    top->addWidget(remove);
    layout->addLayout(top);

    // The choice on one line, the Kelvin slider under it: side by side they need more than the
    // popup's width.
    auto* actionLine = new QHBoxLayout;
    actions_ = new QButtonGroup(this);
    for (const auto& [tag, title] : {std::pair{"disable", "Disable"}, std::pair{"force", "Force K"}}) {
        auto* button = new QPushButton(title, this);
        button->setObjectName(QString("action_") + tag);
        button->setCheckable(true);
        button->setProperty("tag", tag);
        actions_->addButton(button);
        actionLine->addWidget(button);
    }
    connect(actions_, &QButtonGroup::buttonClicked, this,
            [this](QAbstractButton* b) { chooseAction(b->property("tag").toString()); });
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName("ruleKelvin");
    slider_->setRange(1500 / kelvinStep, 10000 / kelvinStep);
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        if (v * kelvinStep == kelvin_)
            return;
        kelvin_ = v * kelvinStep;
        Q_EMIT kelvinChanged(kelvin_);
        actionTag_ = "force";
        writeAction();
        showAction();
    });
    kelvinText_ = new QLabel(this);
    kelvinText_->setMinimumWidth(QFontMetrics(font()).horizontalAdvance("10000 K"));
    actionLine->addStretch(1);
    layout->addLayout(actionLine);
    auto* kelvinLine = new QHBoxLayout;
    // The row's whole width: at 130 pixels a pixel was more than one 50 K step.
    kelvinLine->addWidget(slider_, 1);
    kelvinLine->addWidget(kelvinText_);
    layout->addLayout(kelvinLine);
    caption_ = captionLabel({}, this);
    layout->addWidget(caption_);
}

void AppExceptionRow::update(const core::AppExceptionRule& rule, bool isActive) {
    if (!seen_) {
        seen_ = true;
        if (const auto* force = std::get_if<core::ForceKelvin>(&rule.action)) {
            actionTag_ = "force";
            kelvin_ = force->kelvin;
            Q_EMIT kelvinChanged(kelvin_);
        } else {
            actionTag_ = "disable";
        }
    }
    const QSignalBlocker block(enabled_);
    enabled_->setChecked(rule.enabled);
    name_->setFullText(QString::fromStdString(rule.displayName));
    bundleId_->setFullText(QString::fromStdString(rule.bundleId));
    activeBadge_->setVisible(isActive);
    showAction();
}

void AppExceptionRow::chooseAction(const QString& tag) {
    if (tag == actionTag_)
        return;
    actionTag_ = tag;
    writeAction();
    showAction();
}

void AppExceptionRow::writeAction() {
    core::AppExceptionRule r = rule_.get();
    r.action = actionTag_ == "disable" ? core::AppExceptionAction(core::Disable{})
                                       : core::AppExceptionAction(core::ForceKelvin{kelvin_});
    rule_.set(r);
}

void AppExceptionRow::showAction() {
    const bool force = actionTag_ != "disable";
    for (QAbstractButton* b : actions_->buttons())
        b->setChecked(b->property("tag").toString() == (force ? "force" : "disable"));
    slider_->setVisible(force);
    kelvinText_->setVisible(force);
    {
        const QSignalBlocker block(slider_);
        slider_->setValue(static_cast<int>(std::lround(kelvin_ / kelvinStep)));
    }
    kelvinText_->setText(QString("%1 K").arg(std::llround(kelvin_)));
    caption_->setText(force ? "Pins this Kelvin while the app is frontmost."
                            : "Restores native color while the app is frontmost.");
}

AppExceptionsScreen::AppExceptionsScreen(settings::AppState& state,
                                         watchers::AppExceptionsManager* exceptions,
                                         platform::WorkspaceServices* workspace,
                                         platform::DisplayServices* displays, QWidget* parent)
    : SecondaryScreen("App exceptions", parent), state_(state), exceptions_(exceptions),
      workspace_(workspace), displays_(displays),
      editing_(
          [&state] { return state.appExceptions(); },
          [&state](std::vector<core::AppExceptionRule> rules) { state.setAppExceptions(std::move(rules)); }) {
    setObjectName("appExceptionsScreen");
    chooseDesktopFile_ = [this]() -> std::optional<std::filesystem::path> {
        const QString start =
            QString::fromStdString(browseStartFolder(platform::applicationFolders()).string());
        const QString file = QFileDialog::getOpenFileName(window(), "Pick an app to add as an exception",
                                                          start, "Applications (*.desktop)");
        if (file.isEmpty())
            return std::nullopt;
        return std::filesystem::path(file.toStdString());
    };

    auto* add = new QToolButton(this);
    add->setObjectName("addException");
    add->setText("+");
    add->setPopupMode(QToolButton::InstantPopup);
    auto* addMenu = new QMenu(add);
    addMenu->addAction("Pick a running app…", this, &AppExceptionsScreen::showPicker);
    addMenu->addAction("Browse for app…", this, &AppExceptionsScreen::browseForApp);
    add->setMenu(addMenu);
    headerTrailing()->addWidget(add);

    pages_ = new QStackedWidget(this);
    content()->addWidget(pages_, 1);

    // The editor page: diagnosis, then the rules.
    auto* editor = new QWidget(pages_);
    auto* editorLayout = new QVBoxLayout(editor);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    auto* grid = new QGridLayout;
    const char* titles[] = {"Frontmost:", "Active rule:", "Affects:", "Target:"};
    for (int i = 0; i < 4; ++i) {
        grid->addWidget(captionLabel(titles[i], editor), i, 1);
        // One line each, cut short when long (the whole text is then the tooltip): ids cannot wrap.
        diagnosis_[i] = new ElidedLabel(editor);
        diagnosis_[i]->setObjectName(QString("diagnosis%1").arg(i));
        grid->addWidget(diagnosis_[i], i, 2);
    }
    activeMark_ = new QLabel(editor);
    grid->addWidget(activeMark_, 1, 0);
    grid->setColumnStretch(2, 1);
    editorLayout->addLayout(grid);
    auto* line = new QFrame(editor);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    editorLayout->addWidget(line);

    emptyState_ = new QWidget(editor);
    auto* empty = new QVBoxLayout(emptyState_);
    auto* title = headingLabel("No exceptions yet", emptyState_);
    title->setAlignment(Qt::AlignCenter);
    auto* hint = captionLabel("Use the + above to add the first one.", emptyState_);
    hint->setAlignment(Qt::AlignCenter);
    empty->addWidget(title);
    empty->addWidget(hint);
    editorLayout->addWidget(emptyState_);

    const ScrollingColumn list = scrollingColumn(editor);
    ruleList_ = new QVBoxLayout;
    list.column->addLayout(ruleList_);
    list.column->addStretch(1);
    editorLayout->addWidget(list.area, 1);
    pages_->addWidget(editor);

    // The picker page.
    auto* picker = new QWidget(pages_);
    auto* pickerLayout = new QVBoxLayout(picker);
    pickerLayout->setContentsMargins(0, 0, 0, 0);
    auto* pickerHeader = new QHBoxLayout;
    pickerHeader->addWidget(headingLabel("Pick a running app", picker));
    pickerHeader->addStretch(1);
    auto* cancel = new QPushButton("Cancel", picker);
    cancel->setObjectName("pickerCancel");
    connect(cancel, &QPushButton::clicked, this, [this] { pick(std::nullopt); });
    pickerHeader->addWidget(cancel);
    pickerLayout->addLayout(pickerHeader);
    search_ = new QLineEdit(picker);
    search_->setObjectName("pickerSearch");
    search_->setPlaceholderText("Search");
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textChanged, this, &AppExceptionsScreen::refreshPicker);
    pickerLayout->addWidget(search_);
    pickerList_ = new QListWidget(picker);
    pickerList_->setObjectName("pickerList");
    pickerList_->setIconSize(QSize(24, 24));
    pickerList_->setAlternatingRowColors(true);
    pickerList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const auto pickItem = [this](QListWidgetItem* item) {
        const auto pid = item->data(Qt::UserRole).toInt();
        for (const auto& app : pickable_)
            if (app.pid == pid && (item->flags() & Qt::ItemIsEnabled))
                return pick(app);
    };
    // One click on a row adds it, as its Add button does; Return adds the current row.
    connect(pickerList_, &QListWidget::itemActivated, this, pickItem);
    connect(pickerList_, &QListWidget::itemClicked, this, pickItem);
    pickerLayout->addWidget(pickerList_, 1);
    pages_->addWidget(picker);

    connect(&state_, &settings::AppState::appExceptionsChanged, this, &AppExceptionsScreen::rebuildRows);
    for (auto signal : {&settings::AppState::pausedChanged, &settings::AppState::manualOverrideChanged})
        connect(&state_, signal, this, &AppExceptionsScreen::refreshDiagnosis);
    connect(&state_, &settings::AppState::currentKelvinChanged, this, &AppExceptionsScreen::refreshDiagnosis);
    connect(&state_, &settings::AppState::manualKelvinChanged, this, &AppExceptionsScreen::refreshDiagnosis);
    if (exceptions_) {
        connect(exceptions_, &watchers::AppExceptionsManager::activeOverrideChanged, this,
                &AppExceptionsScreen::rebuildRows);
        connect(exceptions_, &watchers::AppExceptionsManager::frontmostBundleIdChanged, this,
                &AppExceptionsScreen::refreshDiagnosis);
    }
    rebuildRows();
}

RuleScope AppExceptionsScreen::ruleScope() const {
    if (!exceptions_ || !exceptions_->activeOverride())
        return rule_scope::None{};
    if (!workspace_)
        return rule_scope::NotRunning{};
    const std::string& id = exceptions_->activeOverride()->rule.bundleId;
    for (const auto& app : workspace_->runningApplications()) {
        if (app.applicationId != id)
            continue;
        auto shown = displays_ ? watchers::displaysContainingWindows(*workspace_, *displays_, app.pid)
                               : std::set<platform::DisplayId>{};
        if (shown.empty())
            return rule_scope::NoWindows{};
        return rule_scope::Displays(shown.begin(), shown.end());
    }
    return rule_scope::NotRunning{};
}

void AppExceptionsScreen::refreshDiagnosis() {
    const RuleScope scope = ruleScope();
    const auto active = exceptions_ ? exceptions_->activeOverride() : std::nullopt;
    const auto frontmost = exceptions_ ? exceptions_->frontmostBundleId() : std::nullopt;
    // GNOME and Plasma on Wayland tell no client which window is in front: without that, no rule
    // can ever come into force, and the editor should say why rather than show an idle "—".
    const QString unavailable =
        workspace_
            ? workspace_->unavailableReason()
            : "This desktop tells no program which window is in front, so exceptions cannot apply here.";
    diagnosis_[0]->setFullText(!unavailable.isEmpty() ? unavailable
                               : frontmost            ? QString::fromStdString(*frontmost)
                                                      : "—");
    diagnosis_[1]->setFullText(active ? QString::fromStdString(active->summary()) : "none");
    activeMark_->setText(active ? "●" : "○");
    activeMark_->setStyleSheet(active ? "color: #34c759;" : "color: palette(mid);");
    std::vector<std::string> names;
    if (const auto* ids = std::get_if<rule_scope::Displays>(&scope); ids && displays_) {
        const settings::DisplayLookup lookup(*displays_);
        for (core::DisplayId id : *ids)
            names.push_back(lookup.displayName(id));
    }
    diagnosis_[2]->setFullText(QString::fromStdString(affectsText(scope, names)));
    diagnosis_[3]->setFullText(QString::fromStdString(targetSummary(state_, scope, active)));
}

void AppExceptionsScreen::rebuildRows() {
    const auto& rules = state_.appExceptions();
    emptyState_->setVisible(rules.empty());
    // A row is a handful of widgets, far more than its rule: none are made or kept up to date until
    // the screen is on view, so a long list costs nothing at start.
    if (!isVisible()) {
        rowsStale_ = true;
        refreshDiagnosis();
        return;
    }
    rowsStale_ = false;
    const auto active = exceptions_ ? exceptions_->activeOverride() : std::nullopt;
    bool sameRows = rules.size() == rows_.size();
    for (std::size_t i = 0; sameRows && i < rules.size(); ++i)
        sameRows = rows_[i]->property("bundleId").toString().toStdString() == rules[i].bundleId;
    if (!sameRows) {
        // A row may be removing itself (its own button asked): hide it now, delete it later.
        for (AppExceptionRow* row : rows_) {
            row->hide();
            row->deleteLater();
        }
        rows_.clear();
        // A row shown inside a column on view lays the whole column out again, which made a long
        // list take minutes: the rows are shown while the column is hidden, and appear with it.
        QWidget* column = ruleList_->parentWidget();
        column->hide();
        for (std::size_t i = 0; i < rules.size(); ++i) {
            const std::string id = rules[i].bundleId;
            const auto kept = lastKelvin_.find(id);
            auto* row = new AppExceptionRow(editing_.ruleBinding(id),
                                            kept == lastKelvin_.end() ? 6500 : kept->second, this);
            row->setProperty("bundleId", QString::fromStdString(id));
            connect(row, &AppExceptionRow::kelvinChanged, this,
                    [this, id](double k) { lastKelvin_[id] = k; });
            connect(row, &AppExceptionRow::removeRequested, this, [this, id] {
                const auto& now = state_.appExceptions();
                for (std::size_t k = 0; k < now.size(); ++k)
                    if (now[k].bundleId == id)
                        return editing_.deleteRules({k});
            });
            ruleList_->addWidget(row);
            row->show();
            rows_.push_back(row);
        }
        column->show();
    }
    for (std::size_t i = 0; i < rules.size(); ++i)
        rows_[i]->update(rules[i], active && active->rule.bundleId == rules[i].bundleId);
    refreshDiagnosis();
}

void AppExceptionsScreen::showEvent(QShowEvent* event) {
    SecondaryScreen::showEvent(event);
    if (rowsStale_)
        rebuildRows();
}

void AppExceptionsScreen::showPicker() {
    pickable_ = pickableApplications(workspace_ ? workspace_->runningApplications()
                                                : std::vector<platform::RunningApplication>{});
    search_->clear();
    refreshPicker();
    pages_->setCurrentIndex(1);
    search_->setFocus();
}

bool AppExceptionsScreen::closeInnerPage() {
    if (!pickerShown())
        return false;
    pick(std::nullopt);
    return true;
}

bool AppExceptionsScreen::pickerShown() const {
    return pages_->currentIndex() == 1;
}

void AppExceptionsScreen::refreshPicker() {
    pickerList_->clear();
    std::set<std::string> existing;
    for (const auto& rule : state_.appExceptions())
        existing.insert(rule.bundleId);
    for (const auto& app : filterApplications(pickable_, search_->text().toStdString())) {
        const bool added = existing.contains(app.applicationId);
        auto* item = new QListWidgetItem(pickerList_);
        item->setData(Qt::UserRole, app.pid);
        item->setData(Qt::AccessibleTextRole, QString::fromStdString(app.localizedName));
        if (added)
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
        QWidget* row = pickerRow(app, added);
        // Never wider than the list: the names give way instead.
        item->setSizeHint(QSize(1, row->sizeHint().height()));
        pickerList_->setItemWidget(item, row);
    }
}

QWidget* AppExceptionsScreen::pickerRow(const platform::RunningApplication& app, bool added) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(4, 3, 4, 3);
    auto* icon = new QLabel(row);
    QIcon image = SymbolProvider::icon("app");
    if (!app.iconPath.empty())
        image = QIcon(QString::fromStdString(app.iconPath));
    else if (!app.iconName.empty())
        image = QIcon::fromTheme(QString::fromStdString(app.iconName), image);
    icon->setPixmap(image.pixmap(24, 24));
    icon->setFixedSize(24, 24);
    layout->addWidget(icon);
    // The name as the user knows it, the id under it in the caption style: two rows that share a
    // name still read as one program.
    auto* names = new QVBoxLayout;
    names->setSpacing(0);
    auto* name = new ElidedLabel(row);
    name->setFullText(QString::fromStdString(app.localizedName));
    auto* id = new ElidedLabel(row);
    id->setFullText(QString::fromStdString(app.applicationId));
    styleAsCaption(id);
    names->addWidget(name);
    names->addWidget(id);
    layout->addLayout(names, 1);
    if (added) {
        auto* note = captionLabel("already added", row);
        note->setWordWrap(false);
        layout->addWidget(note);
    } else {
        // One click adds; the keyboard uses the list itself (arrows, then Return).
        auto* add = new QPushButton("Add", row);
        add->setObjectName("pickerAdd");
        add->setFocusPolicy(Qt::NoFocus);
        connect(add, &QPushButton::clicked, this, [this, app] { pick(app); });
        layout->addWidget(add);
    }
    return row;
}

void AppExceptionsScreen::pick(const std::optional<platform::RunningApplication>& app) {
    if (app)
        editing_.addRule(app->applicationId, pickedDisplayName(*app));
    pages_->setCurrentIndex(0);
}

void AppExceptionsScreen::browseForApp() {
    const auto file = chooseDesktopFile_ ? chooseDesktopFile_() : std::nullopt;
    if (!file)
        return;
    const auto app = readDesktopEntry(*file, platform::userLocaleSuffixes());
    if (app)
        editing_.addRule(app->applicationId, app->name);
}

} // namespace tintwell::ui

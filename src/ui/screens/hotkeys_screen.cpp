#include "ui/screens/hotkeys_screen.h"

#include "watchers/hotkey_names.h"

#include <QFormLayout>
#include <QPushButton>

namespace tintwell::ui {

const std::vector<HotkeysScreen::Slot>& HotkeysScreen::slots() {
    static const std::vector<Slot> all = [] {
        std::vector<Slot> list;
        for (const shortcuts::Name& name : watchers::hotkeys::allTintwell())
            list.push_back({QString::fromStdString(watchers::hotkeys::label(name)), name.rawValue});
        return list;
    }();
    return all;
}

HotkeysScreen::HotkeysScreen(RecorderBackend& backend, std::function<void()> resetAll, QWidget* parent)
    : SecondaryScreen("Hotkeys", parent, Content::Scrolling) {
    setObjectName("hotkeysScreen");
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignLeft);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setRowWrapPolicy(QFormLayout::WrapAllRows); // each label above its field: room for both
    for (const Slot& slot : slots()) {
        auto* field = new RecorderField(backend, slot.name, this);
        field->setObjectName(QString::fromStdString(slot.name));
        form->addRow(slot.label, field);
        fields_.push_back(field);
    }
    content()->addLayout(form);
    reset_ = new QPushButton("Reset all", this);
    reset_->setObjectName("resetAllHotkeys");
    connect(reset_, &QPushButton::clicked, this, [this, resetAll = std::move(resetAll)] {
        if (resetAll)
            resetAll();
        refresh();
    });
    content()->addWidget(reset_, 0, Qt::AlignLeft);
    content()->addStretch(1);
}

void HotkeysScreen::refresh() {
    for (RecorderField* f : fields_)
        f->refresh();
}

} // namespace tintwell::ui

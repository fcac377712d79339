#include "app/AboutDialog.h"

#include <QPushButton>

#include "app/DialogBuilder.h"
#include "res/ControlIds.h"

namespace geotal::app {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    const BuiltDialog controls = BuildDialog(res::AboutTemplate(), *this);
    auto* ok = controls.As<QPushButton>(res::kIdOk);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace geotal::app

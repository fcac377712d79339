// The About box: program name, version and a line on what it does.
#pragma once

#include <QDialog>

namespace geotal::app {

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace geotal::app

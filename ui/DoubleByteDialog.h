#pragma once

#include "settings/Settings.h"

#include <QDialog>

class QCheckBox;

namespace tidecast::ui
{

// "Advanced - Double Byte Language Support": the slower, safe way of moving and deleting
// recipients (which also turns sorting off).
class DoubleByteDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DoubleByteDialog(settings::Settings& settings, QWidget* parent = nullptr);

    void accept() override;

private:
    settings::Settings& m_settings;
    QCheckBox* m_enabled;
};

} // namespace tidecast::ui

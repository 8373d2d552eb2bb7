// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/findrelaysdialog.h"
#include "devicemonitor/relayfinder.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int FirstSlaveId = 1;
constexpr int LastSlaveId = 247;

} // namespace

FindRelaysDialog::FindRelaysDialog(ConnectionSettings &settings, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint),
      settings(settings),
      finder(new RelayFinder(this)),
      firstIdSpinBox(new QSpinBox(this)),
      lastIdSpinBox(new QSpinBox(this)),
      findButton(new QPushButton(tr("Find"), this)),
      progressBar(new QProgressBar(this)),
      statusLabel(new QLabel(this)),
      resultsLayout(new QVBoxLayout)
{
    setWindowTitle(tr("Find relays on %1").arg(settings.portName));
    firstIdSpinBox->setObjectName(QStringLiteral("firstIdSpinBox"));
    lastIdSpinBox->setObjectName(QStringLiteral("lastIdSpinBox"));
    findButton->setObjectName(QStringLiteral("findButton"));
    progressBar->setObjectName(QStringLiteral("progressBar"));
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    for (QSpinBox *spinBox : { firstIdSpinBox, lastIdSpinBox })
        spinBox->setRange(FirstSlaveId, LastSlaveId);
    firstIdSpinBox->setValue(1);
    lastIdSpinBox->setValue(10);
    progressBar->setValue(0);
    statusLabel->setWordWrap(true);

    auto *form = new QFormLayout;
    form->addRow(tr("First ID"), firstIdSpinBox);
    form->addRow(tr("Last ID"), lastIdSpinBox);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton(findButton, QDialogButtonBox::ActionRole);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progressBar);
    layout->addWidget(statusLabel);
    layout->addLayout(resultsLayout);
    layout->addWidget(buttons);

    connect(findButton, &QPushButton::clicked, this, &FindRelaysDialog::onFindClicked);
    connect(buttons, &QDialogButtonBox::rejected, this, &FindRelaysDialog::reject);
    connect(finder, &RelayFinder::relayFound, this, &FindRelaysDialog::onRelayFound);
    connect(finder, &RelayFinder::progress, this, &FindRelaysDialog::onProgress);
    connect(finder, &RelayFinder::finished, this, &FindRelaysDialog::onFinished);
}

void FindRelaysDialog::setTryWait(int milliseconds)
{
    finder->setWait(milliseconds);
}

QString FindRelaysDialog::settingsText(int baudRate, int parity)
{
    switch (parity) {
    case SerialPortSettings::EvenParity:
        return tr("%1 baud, even parity").arg(baudRate);
    case SerialPortSettings::OddParity:
        return tr("%1 baud, odd parity").arg(baudRate);
    default:
        return tr("%1 baud, no parity").arg(baudRate);
    }
}

QString FindRelaysDialog::resultText(int slaveId, int baudRate, int parity)
{
    return tr("Device %1: %2").arg(slaveId).arg(settingsText(baudRate, parity));
}

void FindRelaysDialog::reject()
{
    if (finder->isRunning())
        finder->cancel();
    else
        QDialog::reject();
}

void FindRelaysDialog::onFindClicked()
{
    qDeleteAll(findChildren<QPushButton *>(QStringLiteral("resultButton")));
    while (QLayoutItem *item = resultsLayout->takeAt(0))
        delete item;
    resultRows.clear();
    const int first = firstIdSpinBox->value();
    const int last = qMax(first, lastIdSpinBox->value());
    lastIdSpinBox->setValue(last);
    if (!finder->start(settings.portName, first, last)) {
        statusLabel->setText(
            tr("Couldn`t open port \"%1\"\n%2").arg(settings.portName, finder->error()));
        return;
    }
    findButton->setEnabled(false);
    statusLabel->setText(tr("Searching…"));
}

void FindRelaysDialog::onRelayFound(int slaveId, int baudRate, int parity)
{
    QHBoxLayout *&row = resultRows[slaveId];
    const bool first = row == nullptr;
    if (first) {
        row = new QHBoxLayout;
        resultsLayout->addLayout(row);
    }
    auto *button = new QPushButton(
        first ? resultText(slaveId, baudRate, parity) : settingsText(baudRate, parity), this);
    button->setObjectName(QStringLiteral("resultButton"));
    button->setToolTip(tr("Connect at these line settings"));
    connect(
        button, &QPushButton::clicked, this, [this, baudRate, parity] { take(baudRate, parity); });
    row->addWidget(button);
}

void FindRelaysDialog::onProgress(int done, int total)
{
    progressBar->setMaximum(total);
    progressBar->setValue(done);
}

void FindRelaysDialog::onFinished(bool completed)
{
    findButton->setEnabled(true);
    const int found = finder->results().size();
    if (!finder->error().isEmpty())
        statusLabel->setText(finder->error());
    else if (!completed)
        statusLabel->setText(tr("Search canceled"));
    else if (found == 0)
        statusLabel->setText(tr("No relay answered at any of the usual line settings"));
    else
        statusLabel->setText(
            tr("Relays found: %1. Choose the line settings to connect at.").arg(found));
}

void FindRelaysDialog::take(int baudRate, int parity)
{
    finder->cancel();
    SerialPortSettings &line = settings.serialPortSettings;
    line.setBaudRate(baudRate);
    line.setParity(parity);
    line.setDataBits(8);
    line.setStopBits(1);
    accept();
}

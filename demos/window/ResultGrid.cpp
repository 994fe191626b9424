#include "demos/window/ResultGrid.h"
#include "demos/window/QueryRunner.h"
#include "demos/window/StatusLabel.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace nvqb {

namespace {

QString DisplayText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("(null)");
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
        return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    case QMetaType::QByteArray:
        return QStringLiteral("(%1 bytes)").arg(value.toByteArray().size());
    default:
        return value.toString();
    }
}

} // namespace

TnvResultGrid::TnvResultGrid(QWidget *parent)
    : QWidget(parent), FRunner(new TnvQueryRunner(this)), FView(new QTableView(this)),
      FModel(new QStandardItemModel(this)), FStatus(new TnvStatusLabel(this)),
      FRunButton(new QPushButton(tr("Run"), this)), FCancelButton(new QPushButton(tr("Cancel"), this)),
      FTicker(new QTimer(this))
{
    setObjectName(QStringLiteral("ResultGrid"));
    FView->setObjectName(QStringLiteral("gResult"));
    FStatus->setObjectName(QStringLiteral("lResultStatus"));
    FRunButton->setObjectName(QStringLiteral("bRun"));
    FCancelButton->setObjectName(QStringLiteral("bCancelQuery"));
    FView->setModel(FModel);
    FView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FView->verticalHeader()->setDefaultSectionSize(FView->fontMetrics().height() + 6);
    FRunButton->setToolTip(tr("Run the query (F5)"));
    FCancelButton->setEnabled(false);
    FStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(FRunButton);
    bar->addWidget(FCancelButton);
    bar->addWidget(FStatus, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(FView, 1);

    FTicker->setInterval(100);
    connect(FTicker, &QTimer::timeout, this, &TnvResultGrid::ShowRunning);
    connect(FRunButton, &QPushButton::clicked, this, &TnvResultGrid::RunRequested);
    connect(FCancelButton, &QPushButton::clicked, this, &TnvResultGrid::Cancel);
    connect(FRunner, &TnvQueryRunner::Finished, this, &TnvResultGrid::ShowResult);
}

TnvResultGrid::~TnvResultGrid() = default;

bool TnvResultGrid::IsRunning() const { return FRunner->IsRunning(); }

void TnvResultGrid::Run(const QString &connectionString, const QString &sql)
{
    if (connectionString.isEmpty() || sql.trimmed().isEmpty()) {
        Cancel();
        FModel->clear();
        FLastError.clear();
        FStatus->SetFullText(connectionString.isEmpty() ? tr("Not connected") : QString());
        return;
    }
    FLastError.clear();
    FStatus->setStyleSheet(QString());
    FRunner->Run(connectionString, sql, MaxRows);
    FElapsed.start();
    FCancelButton->setEnabled(true);
    FTicker->start();
    ShowRunning();
}

void TnvResultGrid::Cancel()
{
    if (!FRunner->IsRunning())
        return;
    FRunner->Cancel();
    FStatus->SetFullText(tr("Cancelling..."));
}

void TnvResultGrid::ShowRunning()
{
    if (FRunner->IsRunning())
        FStatus->SetFullText(tr("Running... %1 s").arg(double(FElapsed.elapsed()) / 1000.0, 0, 'f', 1));
}

void TnvResultGrid::ShowResult(const TnvQueryResult &result)
{
    FTicker->stop();
    FCancelButton->setEnabled(false);
    FStatus->setStyleSheet(QString());
    if (result.Cancelled) {
        FLastError = result.Error;
        FStatus->SetFullText(tr("Cancelled"));
        emit RunFinished();
        return;
    }
    if (!result.Error.isEmpty()) {
        FLastError = result.Error;
        FStatus->setStyleSheet(QStringLiteral("color: #b00020"));
        FStatus->SetFullText(result.Error);
        emit RunFinished();
        return;
    }
    FModel->clear();
    FModel->setColumnCount(int(result.Columns.size()));
    FModel->setHorizontalHeaderLabels(result.Columns);
    for (const QVariantList &row : result.Rows) {
        QList<QStandardItem *> items;
        for (const QVariant &value : row) {
            auto *item = new QStandardItem(DisplayText(value));
            if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong ||
                value.typeId() == QMetaType::Double)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items.append(item);
        }
        FModel->appendRow(items);
    }
    FView->resizeColumnsToContents();
    FStatus->SetFullText((result.More ? tr("The first %1 rows (%2 s)") : tr("%1 rows (%2 s)"))
                             .arg(result.Rows.size())
                             .arg(double(FElapsed.elapsed()) / 1000.0, 0, 'f', 2));
    emit RunFinished();
}

bool TnvResultGrid::WaitForResult(int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (FRunner->IsRunning() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return !FRunner->IsRunning();
}

} // namespace nvqb

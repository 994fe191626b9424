// The configuration page: the options of each IDE the product is installed
// into, one IDE at a time.
#include "installer/CompileTarget.h"
#include "installer/InstallData.h"
#include "installer/MetadataProviders.h"
#include "installer/TargetOptions.h"
#include "installer/platform/ProgramIcon.h"
#include "installer/wizard/IDEComboBox.h"
#include "installer/wizard/MainForm.h"
#include "installer/wizard/Wizard.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace nvqb {

void TfMain::CreateConfigPage()
{
    wConfigPage = AddPage("wConfigPage", QStringLiteral("Configuration"),
                          QStringLiteral("Choose how Norvane Query Builder is installed into each IDE."));
    QWidget *body = wConfigPage->Body();
    cTarget = new TIDEComboBox(body);
    cTarget->setObjectName(QStringLiteral("cTarget"));
    auto *targetCaption = new QLabel(QStringLiteral("&IDE:"), body);
    targetCaption->setBuddy(cTarget);
    gbOptions = new QGroupBox(QStringLiteral("Installation options"), body);
    gbOptions->setObjectName(QStringLiteral("gbOptions"));
    cbCompileFromSource = new QCheckBox(QStringLiteral("Compile Packages from sources"), gbOptions);
    cbCompileFromSource->setObjectName(QStringLiteral("cbCompileFromSource"));
    cbIDERegistration = new QCheckBox(QStringLiteral("IDE registration"), gbOptions);
    cbIDERegistration->setObjectName(QStringLiteral("cbIDERegistration"));
    cbAddSource = new QCheckBox(QStringLiteral("Add source location"), gbOptions);
    cbAddSource->setObjectName(QStringLiteral("cbAddSource"));
    clMetaProviders = new QListWidget(gbOptions);
    clMetaProviders->setObjectName(QStringLiteral("clMetaProviders"));
    auto *providersCaption = new QLabel(QStringLiteral("&Metadata providers:"), gbOptions);
    providersCaption->setBuddy(clMetaProviders);

    auto *options = new QVBoxLayout(gbOptions);
    options->addWidget(cbCompileFromSource);
    options->addWidget(cbIDERegistration);
    options->addWidget(cbAddSource);
    options->addWidget(providersCaption);
    options->addWidget(clMetaProviders, 1);
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(20, 10, 20, 8);
    auto *targetRow = new QHBoxLayout;
    targetRow->addWidget(targetCaption);
    targetRow->addWidget(cTarget, 1);
    layout->addLayout(targetRow);
    layout->addWidget(gbOptions, 1);

    for (const auto &provider : FInstallData.MetadataProviders()) {
        auto *item = new QListWidgetItem(provider->Description(), clMetaProviders);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }

    wConfigPage->OnEnterPage = [this](TWizardPage *) { wConfigPageEnterPage(); };
    connect(cTarget, &QComboBox::currentIndexChanged, this, [this] { cTargetChange(); });
    connect(cbCompileFromSource, &QCheckBox::clicked, this, [this] { cbCompileFromSourceClick(); });
    connect(cbAddSource, &QCheckBox::clicked, this, [this] { cbAddSourceClick(); });
    connect(cbIDERegistration, &QCheckBox::clicked, this, [this] { cbIDERegistrationClick(); });
    connect(clMetaProviders, &QListWidget::itemChanged, this,
            [this](QListWidgetItem *item) { clMetaProvidersClickCheck(item); });
}

void TfMain::wConfigPageEnterPage()
{
    FShowingOptions = true;
    cTarget->clear();
    FConfigTargets.clear();
    for (const auto &options : FInstallData.TargetOptions())
        if (options->Action == taInstall) {
            FConfigTargets.push_back(options.get());
            cTarget->addItem(ProgramIcon(options->Target()->IDEProgram()), options->Target()->DisplayName());
        }
    FShowingOptions = false;
    cTarget->setCurrentIndex(FConfigTargets.empty() ? -1 : 0);
    cTargetChange();
}

TTargetOptions *TfMain::SelectedTarget() const
{
    const int index = cTarget->currentIndex();
    return index >= 0 && size_t(index) < FConfigTargets.size() ? FConfigTargets[size_t(index)] : nullptr;
}

void TfMain::cTargetChange()
{
    if (FShowingOptions)
        return;
    TTargetOptions *options = SelectedTarget();
    gbOptions->setEnabled(options != nullptr);
    if (!options)
        return;
    FShowingOptions = true;
    const bool withSources = FInstallData.WithSources();
    cbCompileFromSource->setEnabled(withSources && options->CompilerExists());
    cbCompileFromSource->setChecked(options->CompileFromSources);
    cbIDERegistration->setChecked(options->IDERegistration);
    for (int row = 0; row < clMetaProviders->count(); ++row) {
        const TMetadataProvider *provider = FInstallData.MetadataProviders().Items(row);
        QListWidgetItem *item = clMetaProviders->item(row);
        const Qt::ItemFlags flags = Qt::ItemIsUserCheckable | Qt::ItemIsSelectable;
        item->setFlags(options->IsProviderAvailable(provider) ? flags | Qt::ItemIsEnabled : flags);
        item->setCheckState(options->IsProviderSelected(provider) ? Qt::Checked : Qt::Unchecked);
    }
    cbAddSource->setEnabled(withSources);
    cbAddSource->setChecked(options->AddSourceLocation && withSources);
    FShowingOptions = false;
}

void TfMain::cbCompileFromSourceClick()
{
    if (TTargetOptions *options = SelectedTarget())
        options->CompileFromSources = cbCompileFromSource->isChecked();
}

void TfMain::cbAddSourceClick()
{
    if (TTargetOptions *options = SelectedTarget())
        options->AddSourceLocation = cbAddSource->isChecked();
}

void TfMain::cbIDERegistrationClick()
{
    if (TTargetOptions *options = SelectedTarget())
        options->IDERegistration = cbIDERegistration->isChecked();
}

void TfMain::clMetaProvidersClickCheck(QListWidgetItem *item)
{
    TTargetOptions *options = SelectedTarget();
    if (FShowingOptions || !options)
        return;
    TMetadataProvider *provider = FInstallData.MetadataProviders().Items(clMetaProviders->row(item));
    if (item->checkState() == Qt::Checked)
        options->AddProvider(provider);
    else
        options->RemoveProvider(provider);
}

} // namespace nvqb

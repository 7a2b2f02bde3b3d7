#include "app/nights_window.h"

#include "app/platform/background.h"
#include "app/platform/perf_trace.h"
#include "app/report_dialog.h"
#include "app/widgets/trend_view.h"
#include "lang/string_table.h"
#include "report/analysis/beats.h"
#include "report/files/output.h"
#include "report/formats/export.h"
#include "report/formats/nights.h"
#include "report/formats/write.h"
#include "report/library/summary_cache.h"
#include "report/words/speech.h"
#include "report/words/summary_text.h"
#include "settings/settings_store.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPromise>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace trelvo::app {
namespace {

constexpr int kSortRole = Qt::UserRole;
constexpr int kNightRole = Qt::UserRole + 1;
constexpr qint64 kProgressMs = 250;

QLocale LocaleOf(std::int16_t base)
{
    return base == lang::kGerman ? QLocale(QLocale::German, QLocale::Germany) : QLocale(QLocale::English);
}

report::NightFormat ReportFormat(NightFile format)
{
    switch (format) {
    case NightFile::Pdf: return report::NightFormat::Pdf;
    case NightFile::Edf: return report::NightFormat::Edf;
    case NightFile::Oscar: return report::NightFormat::Oscar;
    case NightFile::Csv: break;
    }
    return report::NightFormat::Csv;
}

std::vector<report::FolderFile> FilesOf(const report::FolderNight& night)
{
    std::vector<report::FolderFile> files;
    for (const report::ListedFile& f : night.files)
        files.push_back(f.file);
    return files;
}

QString Hours(double hours)
{
    const long minutes = std::lround(hours * 60);
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

NightsWindow::Loaded NightsWindow::LoadNight(const report::FolderNight& chosen, std::int16_t languageBase)
{
    YieldToTheDisplay();
    Loaded loaded;
    std::optional<report::Night> night = report::LoadFolderNight(chosen, report::Speech(languageBase), loaded.error);
    std::optional<report::Figures> figures = night ? report::Analyse(*night, false) : std::nullopt;
    if (!figures)
        return loaded;
    auto shown = std::make_shared<ShownNight>();
    shown->beats = report::DetectBeats(*night);
    shown->night = std::move(*night);
    shown->figures = std::move(*figures);
    loaded.night = std::move(shown);
    return loaded;
}

namespace {

}  // namespace

NightsWindow::NightsWindow(std::int16_t languageBase, std::function<QString()> recordingNow, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_language(languageBase),
      m_recordingNow(std::move(recordingNow))
{
    setObjectName(QStringLiteral("frmNights"));
    m_listPool.setMaxThreadCount(1);
    m_nightPool.setMaxThreadCount(1);
    BuildControls();
    m_view->SetLanguage(m_language);
    m_trend->SetLanguage(m_language);
    Caption();
    connect(&m_listWatcher, &QFutureWatcher<report::FolderListing>::progressValueChanged, m_progress,
            &QProgressBar::setValue);
    connect(&m_listWatcher, &QFutureWatcher<report::FolderListing>::finished, this, &NightsWindow::ShowListing);
    connect(&m_nightWatcher, &QFutureWatcher<Loaded>::finished, this, [this] {
        const Loaded loaded = m_nightWatcher.result();
        if (!loaded.night) {
            Say(T(lang::text::kNightUnreadable).arg(loaded.error));
            return;
        }
        m_shown = loaded.night;
        m_view->SetNight(m_shown);
        for (QPushButton* b : cmdSave)
            b->setEnabled(true);
        emit NightShown();
    });
    m_open = [](const QString& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    Refresh.setInterval(kRefreshMs);
    connect(&Refresh, &QTimer::timeout, this, &NightsWindow::Refresh_Timer);
    // It runs while the window is shown: a hidden window wakes nobody.
    connect(&m_reportWatcher, &QFutureWatcher<QString>::progressValueChanged, m_progress, &QProgressBar::setValue);
    connect(&m_reportWatcher, &QFutureWatcher<QString>::finished, this, [this] {
        m_progress->hide();
        cmdCancel->hide();
        cmdDoctor->setEnabled(true);
        const bool written = !m_reportWatcher.isCanceled() && m_reportWatcher.future().resultCount() > 0;
        const QString failure = written ? m_reportWatcher.result() : T(lang::text::kReadingCancelled);
        if (failure.isEmpty()) {
            Say(T(lang::text::kWritten).arg(QDir::toNativeSeparators(m_reportPath)));
            if (m_open)
                m_open(m_reportPath);
        } else {
            Say(T(lang::text::kNotWritten).arg(failure));
        }
        emit ReportWritten(m_reportPath, failure);
    });
}

NightsWindow::~NightsWindow()
{
    // The program ends without waiting for a listing or a report: both stop at their next step.
    m_listWatcher.cancel();
    m_reportWatcher.cancel();
    m_listPool.waitForDone();
    m_nightPool.waitForDone();
}

QString NightsWindow::T(int offset) const
{
    const std::string_view text = lang::Text(lang::IsLanguage(m_language) ? m_language : lang::kEnglish, offset);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void NightsWindow::BuildControls()
{
    resize(1100, 760);
    auto* top = new QHBoxLayout;
    lblFolder = new QLabel(this);
    m_folderText = new QLabel(this);
    m_folderText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_folderText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    cmdFolder = new QPushButton(this);
    cmdFolder->setObjectName(QStringLiteral("cmdFolder"));
    cmdOpenFolder = new QPushButton(this);
    cmdOpenFolder->setObjectName(QStringLiteral("cmdOpenFolder"));
    top->addWidget(lblFolder);
    top->addWidget(m_folderText, 1);
    top->addWidget(cmdFolder);
    top->addWidget(cmdOpenFolder);
    connect(cmdFolder, &QPushButton::clicked, this, &NightsWindow::cmdFolder_Click);
    connect(cmdOpenFolder, &QPushButton::clicked, this, &NightsWindow::cmdOpenFolder_Click);
    cmdDoctor = new QPushButton(this);
    cmdDoctor->setObjectName(QStringLiteral("cmdDoctor"));
    top->addWidget(cmdDoctor);
    connect(cmdDoctor, &QPushButton::clicked, this, &NightsWindow::cmdDoctor_Click);

    auto* progressRow = new QHBoxLayout;
    m_progress = new QProgressBar(this);
    cmdCancel = new QPushButton(this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdCancel, &QPushButton::clicked, this, &NightsWindow::cmdCancel_Click);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(cmdCancel);
    m_progress->hide();
    cmdCancel->hide();

    m_model = new QStandardItemModel(0, lang::text::kColumnCount, this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(kSortRole);
    tblNights = new QTableView(this);
    tblNights->setObjectName(QStringLiteral("tblNights"));
    tblNights->setModel(m_sorted);
    tblNights->setSortingEnabled(true);
    tblNights->sortByColumn(0, Qt::DescendingOrder);
    tblNights->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblNights->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblNights->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblNights->verticalHeader()->hide();
    // Column widths from the first rows: a year of nights need not all be measured.
    tblNights->horizontalHeader()->setResizeContentsPrecision(40);
    tblNights->setAlternatingRowColors(true);
    connect(tblNights->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid())
                    return;
                const auto night = m_sorted->index(current.row(), 0).data(kNightRole).toLongLong();
                if (night != m_chosen) {
                    m_chosen = night;
                    LoadChosenNight();
                }
            });

    auto* unreadable = m_unreadable = new QWidget(this);
    auto* unreadableLayout = new QVBoxLayout(unreadable);
    unreadableLayout->setContentsMargins(0, 0, 0, 0);
    lblUnreadable = new QLabel(unreadable);
    lstUnreadable = new QListWidget(unreadable);
    lstUnreadable->setObjectName(QStringLiteral("lstUnreadable"));
    unreadableLayout->addWidget(lblUnreadable);
    unreadableLayout->addWidget(lstUnreadable);

    auto* night = new QWidget(this);
    auto* nightLayout = new QVBoxLayout(night);
    m_view = new NightView(m_language, night);
    m_view->setObjectName(QStringLiteral("picNight"));
    m_pointer = new QLabel(night);
    lblHelp = new QLabel(night);
    lblHelp->setWordWrap(true);
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(m_pointer, 1);
    const char* names[] = {"cmdPdf", "cmdEdf", "cmdOscar", "cmdCsv"};
    for (int i = 0; i < 4; ++i) {
        cmdSave[static_cast<std::size_t>(i)] = new QPushButton(night);
        cmdSave[static_cast<std::size_t>(i)]->setObjectName(QString::fromLatin1(names[i]));
        cmdSave[static_cast<std::size_t>(i)]->setEnabled(false);
        connect(cmdSave[static_cast<std::size_t>(i)], &QPushButton::clicked, this,
                [this, i] { cmdSave_Click(static_cast<NightFile>(i)); });
        saveRow->addWidget(cmdSave[static_cast<std::size_t>(i)]);
    }
    nightLayout->addWidget(m_view, 1);
    nightLayout->addLayout(saveRow);
    nightLayout->addWidget(lblHelp);
    connect(m_view, &NightView::PointedAt, m_pointer, &QLabel::setText);

    m_trend = new TrendView(m_language, this);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(night, QString());
    m_tabs->addTab(m_trend, QString());

    auto* list = new QSplitter(Qt::Horizontal, this);
    list->addWidget(tblNights);
    list->addWidget(unreadable);
    list->setStretchFactor(0, 1);
    list->setStretchFactor(1, 0);
    list->setSizes({880, 220});
    unreadable->hide();
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(list);
    split->addWidget(m_tabs);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 1);

    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(progressRow);
    layout->addWidget(split, 1);
    layout->addWidget(m_status);
}

void NightsWindow::Caption()
{
    setWindowTitle(T(lang::text::kNightsTitle));
    lblFolder->setText(T(lang::text::kNightsFolder));
    cmdFolder->setText(T(lang::text::kChooseFolder));
    cmdOpenFolder->setText(T(lang::text::kOpenFolder));
    cmdDoctor->setText(T(lang::text::kDoctorsReport));
    cmdCancel->setText(T(lang::text::kCancel));
    m_progress->setFormat(T(lang::text::kReadingFolder));
    QStringList headers;
    for (int c = 0; c < lang::text::kColumnCount; ++c)
        headers << T(lang::text::kColumnDate + c);
    m_model->setHorizontalHeaderLabels(headers);
    lblUnreadable->setText(T(lang::text::kUnreadableFiles));
    m_tabs->setTabText(0, T(lang::text::kNightTab));
    m_tabs->setTabText(1, T(lang::text::kTrendTab));
    lblHelp->setText(T(lang::text::kNightViewHelp) + QStringLiteral(" · ") + T(lang::text::kNoWaveHere));
    for (int i = 0; i < 4; ++i)
        cmdSave[static_cast<std::size_t>(i)]->setText(T(63 + i));
}

void NightsWindow::SetLanguage(std::int16_t base)
{
    m_language = base;
    m_view->SetLanguage(base);
    m_trend->SetLanguage(base);
    Caption();
    ShowListing();
}

bool NightsWindow::Reading() const
{
    return m_listWatcher.isRunning();
}

void NightsWindow::ShowFolder(const QString& folder)
{
    m_folder = QDir(folder).absolutePath();
    m_folderText->setText(QDir::toNativeSeparators(m_folder));
    m_chosen = -1;
    m_shown.reset();
    m_shownFiles.clear();
    m_view->SetNight(nullptr);
    StartListing(false);
}

void NightsWindow::StartListing(bool quietly)
{
    if (m_listWatcher.isRunning()) {
        m_relist = true;
        return;
    }
    if (!quietly) {
        m_progress->setFormat(T(lang::text::kReadingFolder));
        m_progress->setRange(0, 100);
        m_progress->setValue(0);
        m_progress->show();
        cmdCancel->show();
    }
    const QString folder = m_folder, cachePath = report::DefaultCachePath();
    m_listWatcher.setFuture(
        QtConcurrent::run(&m_listPool, [folder, cachePath](QPromise<report::FolderListing>& promise) {
            YieldToTheDisplay();
            report::SummaryCache cache(cachePath);
            // The bar is drawn by the window's thread: it moves a few times a second at most.
            int shown = -1;
            QElapsedTimer since;
            since.start();
            promise.addResult(report::ListFolder(folder, &cache, [&](int done, int total) {
                const int percent = total > 0 ? static_cast<int>(100LL * done / total) : 0;
                if (percent != shown && (shown < 0 || since.elapsed() >= kProgressMs)) {
                    shown = percent;
                    since.restart();
                    promise.setProgressValue(percent);
                }
                return !promise.isCanceled();
            }));
        }));
}

void NightsWindow::ShowListing()
{
    // A listing is taken once (afterwards the future is no longer valid).
    QFuture<report::FolderListing> future = m_listWatcher.future();
    if (future.isValid() && future.isFinished() && !future.isCanceled() && future.resultCount() > 0)
        m_listing = future.takeResult();
    m_progress->hide();
    cmdCancel->hide();
    if (m_relist) {
        m_relist = false;
        StartListing(true);
    }

    const QLocale locale = LocaleOf(m_language);
    const QString recording = m_recordingNow ? m_recordingNow() : QString();
    const QString wave = T(lang::text::kWithWave);
    const auto number = [&](const std::optional<double>& v, int decimals) {
        return v ? locale.toString(*v, 'f', decimals) : QStringLiteral("–");
    };
    const QSignalBlocker quiet(tblNights->selectionModel());
    m_model->removeRows(0, m_model->rowCount());
    std::vector<report::NightRow> oldestFirst;
    for (const report::FolderNight& n : m_listing.nights) {
        const report::NightRow& r = n.row;
        oldestFirst.insert(oldestFirst.begin(), r);
        const bool now = std::any_of(n.files.begin(), n.files.end(),
                                     [&](const report::ListedFile& f) { return f.file.path == recording; });
        const QDate date = QDate::fromString(QString::fromStdString(r.date), Qt::ISODate);
        QString dateText = locale.toString(date, m_language == lang::kGerman ? QStringLiteral("ddd dd.MM.yyyy")
                                                                             : QStringLiteral("ddd d MMM yyyy"));
        if (now)
            dateText += QStringLiteral(" (%1)").arg(T(lang::text::kRecordingNow));
        if (r.dateFromFileTime)
            dateText += QStringLiteral(" (%1)").arg(T(lang::text::report::kDateFromFileTime));
        QString resolution = QStringLiteral("%1 s").arg(r.step, 0, 'f', 0);
        if (r.hasWave)
            resolution += QStringLiteral(", ") + wave;
        const std::pair<QString, QVariant> cells[] = {
            {dateText, QVariant::fromValue(n.night)},
            {QString::fromStdString(r.start), QString::fromStdString(r.start)},
            {QString::fromStdString(r.end), QString::fromStdString(r.end)},
            {Hours(r.recordingHours), r.recordingHours},
            {Hours(r.analysedHours), r.analysedHours},
            {number(r.spo2Mean, 1), r.spo2Mean.value_or(-1)},
            {r.spo2Min ? QString::number(*r.spo2Min) : QStringLiteral("–"), r.spo2Min.value_or(-1)},
            {locale.toString(r.t90Minutes, 'f', 1), r.t90Minutes},
            {locale.toString(r.t88Minutes, 'f', 1), r.t88Minutes},
            {number(r.odi3, 1), r.odi3.value_or(-1)},
            {number(r.odi4, 1), r.odi4.value_or(-1)},
            {number(r.pulseMean, 0), r.pulseMean.value_or(-1)},
            {resolution, r.step * 10 - (r.hasWave ? 1 : 0)},
        };
        QList<QStandardItem*> items;
        for (const auto& [text, key] : cells) {
            auto* item = new QStandardItem(text);
            item->setData(key, kSortRole);
            item->setData(QVariant::fromValue(n.Key()), kNightRole);
            if (&text != &cells[0].first)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            items << item;
        }
        m_model->appendRow(items);
    }
    tblNights->resizeColumnsToContents();
    m_trend->SetNights(std::move(oldestFirst));
    lstUnreadable->clear();
    for (const auto& [name, why] : m_listing.unreadable) {
        const QString text =
            QStringLiteral("%1: %2").arg(name, QString::fromStdString(report::Words(why, report::Speech(m_language))));
        lstUnreadable->addItem(text);
        lstUnreadable->item(lstUnreadable->count() - 1)->setToolTip(text);  // a narrow list cuts the reason
    }
    m_unreadable->setVisible(!m_listing.unreadable.empty());
    Say(m_listing.cancelled
            ? T(lang::text::kReadingCancelled)
            : T(lang::text::kNightsListed).arg(m_listing.nights.size()).arg(QDir::toNativeSeparators(m_folder)));

    // The night chosen stays chosen (and is loaded again when its files changed); else the newest.
    int row = 0;
    for (int r = 0; r < m_sorted->rowCount(); ++r)
        if (m_sorted->index(r, 0).data(kNightRole).toLongLong() == m_chosen)
            row = r;
    if (m_sorted->rowCount() > 0) {
        tblNights->selectRow(row);
        m_chosen = m_sorted->index(row, 0).data(kNightRole).toLongLong();
        if (const report::FolderNight* chosen = ChosenNight(); chosen && FilesOf(*chosen) != m_shownFiles)
            LoadChosenNight();
    }
    PerfTrace("nights-listed", static_cast<long>(m_listing.nights.size()));
    emit Listed();
}

QString NightsWindow::Range(const QString& from, const QString& to) const
{
    const report::Speech speech(m_language);
    return QString::fromStdString(
        speech.Text(lang::text::report::kRange, {speech.Date(from.toStdString()), speech.Date(to.toStdString())}));
}

const report::FolderNight* NightsWindow::ChosenNight() const
{
    for (const report::FolderNight& n : m_listing.nights)
        if (n.Key() == m_chosen)
            return &n;
    return nullptr;
}

void NightsWindow::ChooseRow(int row)
{
    tblNights->selectRow(row);
    tblNights->setCurrentIndex(m_sorted->index(row, 0));
}

void NightsWindow::LoadChosenNight()
{
    const report::FolderNight* chosen = ChosenNight();
    if (!chosen)
        return;
    for (QPushButton* b : cmdSave)
        b->setEnabled(false);
    const report::FolderNight night = *chosen;
    m_shownFiles = FilesOf(night);
    m_nightWatcher.setFuture(
        QtConcurrent::run(&m_nightPool, [night, language = m_language] { return LoadNight(night, language); }));
}

void NightsWindow::Say(const QString& text)
{
    m_status->setText(text);
}

void NightsWindow::cmdFolder_Click()
{
    const QString folder = QFileDialog::getExistingDirectory(this, T(lang::text::kFolderDialogTitle), m_folder);
    if (folder.isEmpty())
        return;
    (void)settings::SaveNightsFolder(folder);
    ShowFolder(folder);
}

void NightsWindow::cmdOpenFolder_Click()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(m_folder));
}

void NightsWindow::cmdCancel_Click()
{
    m_relist = false;
    m_listWatcher.cancel();
    m_reportWatcher.cancel();
}

// The last seven nights, or the nights selected in the table.
void NightsWindow::cmdDoctor_Click()
{
    if (m_listing.nights.empty() || m_reportWatcher.isRunning())
        return;
    const QDate newest = QDate::fromString(QString::fromStdString(m_listing.nights.front().row.date), Qt::ISODate);
    std::vector<report::FolderNight> selected;
    for (const QModelIndex& index : tblNights->selectionModel()->selectedRows())
        for (const report::FolderNight& n : m_listing.nights)
            if (n.Key() == index.data(kNightRole).toLongLong())
                selected.push_back(n);
    const settings::ReportPerson person = settings::LoadReportPerson();
    ReportDialog dialog(m_language, newest.addDays(-6), newest, selected.size() > 1, person.name, person.born, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    (void)settings::SaveReportPerson({dialog.Name(), dialog.Born()});
    std::vector<report::FolderNight> nights;
    if (dialog.OnlySelected())
        nights = std::move(selected);
    else
        for (const report::FolderNight& n : m_listing.nights)
            if (report::NightInRange(n.row, dialog.From(), dialog.To()))
                nights.push_back(n);
    std::sort(nights.begin(), nights.end(), [](const auto& a, const auto& b) { return a.night < b.night; });
    if (nights.empty()) {
        Say(T(lang::text::kNoNightInRange));
        return;
    }
    const QString from = QString::fromStdString(nights.front().row.date);
    const QString to = QString::fromStdString(nights.back().row.date);
    const QString range = dialog.OnlySelected()
                              ? Range(from, to)
                              : Range(dialog.From().toString(Qt::ISODate), dialog.To().toString(Qt::ISODate));
    const QString path = QFileDialog::getSaveFileName(
        this, cmdDoctor->text(), QDir(m_folder).filePath(QStringLiteral("nights-%1-%2.pdf").arg(from, to)),
        QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty())
        WriteReport(std::move(nights), range, path, dialog.Name(), dialog.Born());
}

void NightsWindow::WriteReport(std::vector<report::FolderNight> nights, const QString& range, const QString& path,
                               const QString& person, const QString& born)
{
    m_reportPath = path;
    cmdDoctor->setEnabled(false);
    m_progress->setFormat(T(lang::text::kWritingReport));
    m_progress->setRange(0, static_cast<int>(nights.size()));
    m_progress->setValue(0);
    m_progress->show();
    cmdCancel->show();
    report::NightsReport report = report::ReportOfNights(std::move(nights), range, report::Speech(m_language));
    report.person = person;
    report.born = born;
    m_reportWatcher.setFuture(QtConcurrent::run(&m_nightPool, [report, path](QPromise<QString>& promise) mutable {
        YieldToTheDisplay();
        // Each night's page moves the bar; cancelled, the rest is left out and nothing is written.
        const auto load = report.night;
        report.night = [&](std::size_t i) -> std::optional<report::NightsReport::Page> {
            if (promise.isCanceled())
                return std::nullopt;
            promise.setProgressValue(static_cast<int>(i));
            return load(i);
        };
        QBuffer pages;
        pages.open(QIODevice::WriteOnly);
        QString failure = report::WriteNightsPdf(pages, report);
        if (promise.isCanceled())
            return;
        promise.addResult(failure.isEmpty() ? report::WriteWhole(path, pages.data()) : failure);
    }));
}

void NightsWindow::Refresh_Timer()
{
    ReadAgain();
}

void NightsWindow::showEvent(QShowEvent* event)
{
    Refresh.start();
    QWidget::showEvent(event);
}

void NightsWindow::hideEvent(QHideEvent* event)
{
    Refresh.stop();
    QWidget::hideEvent(event);
}

void NightsWindow::ReadAgain()
{
    if (!m_folder.isEmpty())
        StartListing(true);
}

void NightsWindow::cmdSave_Click(NightFile format)
{
    const std::shared_ptr<const ShownNight> shown = m_shown;
    const report::FolderNight* chosen = ChosenNight();
    if (!shown || !chosen)
        return;
    const QString base = QDir(m_folder).filePath(QStringLiteral("night-") + QString::fromStdString(chosen->row.date));
    const QPushButton* button = cmdSave[static_cast<std::size_t>(format)];
    const report::NightFormatInfo& info = report::InfoOf(ReportFormat(format));
    const QString target =
        format == NightFile::Oscar
            ? QFileDialog::getExistingDirectory(this, button->text(), m_folder)
            : QFileDialog::getSaveFileName(this, button->text(),
                                           base + (format == NightFile::Csv ? QStringLiteral("-seconds") : QString()) +
                                               QString::fromLatin1(info.suffix),
                                           QString::fromLatin1(info.filter));
    if (target.isEmpty())
        return;
    const QString date = QString::fromStdString(chosen->row.date), names = QString::fromStdString(chosen->row.name);
    auto* watcher = new QFutureWatcher<QString>(this);
    connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, target] {
        const QString failure = watcher->result();
        Say(failure.isEmpty() ? T(lang::text::kWritten).arg(QDir::toNativeSeparators(target))
                              : T(lang::text::kNotWritten).arg(failure));
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(
        &m_nightPool, [shown, format, target, date, names, language = m_language, files = FilesOfNight(*chosen)] {
            YieldToTheDisplay();
            return SaveNight(format, target, shown->night, date, names, language, files);
        }));
}

report::ReadFiles FilesOfNight(const report::FolderNight& night)
{
    report::ReadFiles files;
    for (const report::ListedFile& f : night.files) {
        files.Add(f.file.path);
        for (const QString& beside : report::PerSecondCandidates(f.file.path))
            files.Add(beside);
    }
    return files;
}

QString SaveNight(NightFile format, const QString& target, const report::Night& night, const QString& date,
                  const QString& source, std::int16_t languageBase, const report::ReadFiles& nightFiles)
{
    const report::Speech speech(languageBase);
    const report::CivilDate first = night.date.value_or(report::CivilDate{});
    QStringList outputs{target};
    if (format == NightFile::Oscar)
        for (const report::OscarFile& file : report::OscarFiles(night, first))
            outputs << report::OscarFilePath(target, file);
    if (const auto replaced = report::WouldReplace(nightFiles, outputs)) {
        const std::string_view text = lang::Text(languageBase, lang::text::kWouldReplace);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
            .arg(report::PrintableName(QDir::toNativeSeparators(replaced->output)),
                 report::PrintableName(QFileInfo(replaced->input).fileName()));
    }
    if (format == NightFile::Edf || format == NightFile::Oscar)
        if (const std::string problem = report::GridProblem(night); !problem.empty())
            return QString::fromStdString(problem);
    switch (format) {
    case NightFile::Pdf:
        return report::WritePdfFile(target, night, *report::Analyse(night, false),
                                    QString::fromStdString(report::NightTitle(speech, date.toStdString())), source,
                                    speech);
    case NightFile::Edf: return report::WriteEdfFile(target, night, *report::Analyse(night, false), first);
    case NightFile::Csv: return report::WriteCsvFile(target, night, first);
    case NightFile::Oscar: break;
    }
    QStringList failures;
    for (const auto& [file, failure] : report::WriteOscarFolder(target, report::OscarFiles(night, first)))
        if (!failure.isEmpty())
            failures << QStringLiteral("%1: %2").arg(file, failure);
    return failures.join(QStringLiteral("; "));
}

}  // namespace trelvo::app

// The nights window's controls: the folder and its buttons, the progress bar, the table of nights
// beside the files in no night, the chosen night's panels and the trend below, the status line.

#include "app/nights/nights_model.h"
#include "app/nights_window.h"
#include "app/widgets/notes_panel.h"
#include "app/widgets/trend_view.h"
#include "lang/language_switch.h"
#include "lang/string_table.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace trelvo::app {

void NightsWindow::BuildControls()
{
    // Every column of the table at 1280 × 800; never larger than the screen it opens on (at 2× a
    // 1600 × 1200 screen has 800 × 600 to give).
    const QSize room = screen() ? screen()->availableSize() : QSize(1280, 800);
    resize(std::min(1260, room.width() - 20), std::min(760, room.height() - 40));
    auto* top = new QHBoxLayout;
    lblFolder = new QLabel(this);
    m_folderText = new QLabel(this);
    m_folderText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_folderText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    const auto button = [this](QPushButton*& control, const char* name, void (NightsWindow::*click)()) {
        control = new QPushButton(this);
        control->setObjectName(QString::fromLatin1(name));
        connect(control, &QPushButton::clicked, this, click);
    };
    button(cmdFolder, "cmdFolder", &NightsWindow::cmdFolder_Click);
    button(cmdOpenFolder, "cmdOpenFolder", &NightsWindow::cmdOpenFolder_Click);
    button(cmdDoctor, "cmdDoctor", &NightsWindow::cmdDoctor_Click);
    button(cmdCancel, "cmdCancel", &NightsWindow::cmdCancel_Click);
    top->addWidget(lblFolder);
    top->addWidget(m_folderText, 1);
    top->addWidget(cmdFolder);
    top->addWidget(cmdOpenFolder);
    top->addWidget(cmdDoctor);

    auto* progressRow = new QHBoxLayout;
    m_progress = new QProgressBar(this);
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(cmdCancel);
    m_progress->hide();
    cmdCancel->hide();

    m_model = new NightsModel(m_language, this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(NightsModel::kSortRole);
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
    // Tab goes on to the next control; the arrow keys move within the table.
    tblNights->setTabKeyNavigation(false);
    connect(tblNights->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &NightsWindow::tblNights_CurrentRowChanged);

    m_unreadable = new QWidget(this);
    auto* unreadableLayout = new QVBoxLayout(m_unreadable);
    unreadableLayout->setContentsMargins(0, 0, 0, 0);
    lblUnreadable = new QLabel(m_unreadable);
    lstUnreadable = new QListWidget(m_unreadable);
    lstUnreadable->setObjectName(QStringLiteral("lstUnreadable"));
    unreadableLayout->addWidget(lblUnreadable);
    unreadableLayout->addWidget(lstUnreadable);

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(BuildNightTab(), QString());
    m_tabs->addTab(BuildTrendTab(), QString());
    // The night shown, named beside the tabs, above its chart: no line of its own taken from it.
    m_nightTitle = new QLabel(m_tabs);
    m_nightTitle->setContentsMargins(8, 0, 8, 0);
    m_tabs->setCornerWidget(m_nightTitle, Qt::TopRightCorner);

    auto* list = new QSplitter(Qt::Horizontal, this);
    list->addWidget(tblNights);
    list->addWidget(m_unreadable);
    list->setStretchFactor(0, 1);
    list->setStretchFactor(1, 0);
    list->setSizes({880, 220});
    m_unreadable->hide();
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(list);
    split->addWidget(m_tabs);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);
    // The night's chart gets two thirds of the height, the table one: on a small screen the table
    // scrolls, the chart keeps room to be read.
    split->setSizes({250, 500});

    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(progressRow);
    layout->addWidget(split, 1);
    layout->addWidget(m_status);
}

// The chosen night's panels, where the pointer is, the save buttons and the help line.
QWidget* NightsWindow::BuildNightTab()
{
    auto* night = new QWidget(this);
    auto* nightLayout = new QVBoxLayout(night);
    m_view = new NightView(m_language, night);
    m_view->setObjectName(QStringLiteral("picNight"));
    m_pointer = new QLabel(night);
    // The readout may be long (a moment, its values, the events under it): it wraps rather than
    // widen the chart's side.
    m_pointer->setWordWrap(true);
    m_pointer->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    lblHelp = new QLabel(night);
    // One line, cut where the window is narrow: the chart keeps the height. The whole text is its
    // tooltip, the chart's description and part of F1's keys.
    lblHelp->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(m_pointer, 1);
    const char* names[] = {"cmdPdf", "cmdEdf", "cmdOscar", "cmdCsv"};
    for (std::size_t i = 0; i < cmdSave.size(); ++i) {
        cmdSave[i] = new QPushButton(night);
        cmdSave[i]->setObjectName(QString::fromLatin1(names[i]));
        cmdSave[i]->setEnabled(false);
        connect(cmdSave[i], &QPushButton::clicked, this, [this, i] { cmdSave_Click(static_cast<NightFile>(i)); });
        saveRow->addWidget(cmdSave[i]);
    }
    nightLayout->addWidget(m_view, 1);
    nightLayout->addLayout(saveRow);
    nightLayout->addWidget(lblHelp);
    connect(m_view, &NightView::PointedAt, m_pointer, &QLabel::setText);

    m_beside = new QSplitter(Qt::Horizontal, this);
    m_beside->addWidget(night);
    m_beside->addWidget(BuildAside());
    m_beside->setStretchFactor(0, 1);
    m_beside->setStretchFactor(1, 0);
    m_beside->installEventFilter(this);
    connect(m_beside, &QSplitter::splitterMoved, this, [this] { m_splitDragged = true; });
    return m_beside;
}

// Beside the chart: the night's events (a click or Enter shows one) and its figures.
QWidget* NightsWindow::BuildAside()
{
    m_aside = new QTabWidget(this);
    m_aside->setObjectName(QStringLiteral("tabAside"));
    auto* events = new QWidget(m_aside);
    auto* eventsLayout = new QVBoxLayout(events);
    eventsLayout->setContentsMargins(4, 4, 4, 4);
    m_eventCounts = new QLabel(events);
    m_eventCounts->setWordWrap(true);
    lstEvents = new QTreeWidget(events);
    lstEvents->setObjectName(QStringLiteral("lstEvents"));
    lstEvents->setRootIsDecorated(false);
    lstEvents->setUniformRowHeights(true);
    lstEvents->setColumnCount(lang::text::kEventColumns);
    lstEvents->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    // The chart comes first on a narrow screen: the list scrolls sideways instead.
    lstEvents->setMinimumWidth(120);
    m_aside->setMinimumWidth(160);
    connect(lstEvents, &QTreeWidget::itemActivated, this, &NightsWindow::lstEvents_Activated);
    connect(lstEvents, &QTreeWidget::itemClicked, this, &NightsWindow::lstEvents_Activated);
    eventsLayout->addWidget(m_eventCounts);
    eventsLayout->addWidget(lstEvents, 1);
    txtFigures = new QTextBrowser(m_aside);
    txtFigures->setObjectName(QStringLiteral("txtFigures"));
    txtFigures->setOpenLinks(false);
    m_notes = new NotesPanel(m_language, m_aside);
    m_aside->addTab(events, QString());
    m_aside->addTab(txtFigures, QString());
    m_aside->addTab(m_notes, QString());
    return m_aside;
}

QWidget* NightsWindow::BuildTrendTab()
{
    auto* tab = new QWidget(this);
    auto* layout = new QVBoxLayout(tab);
    auto* choose = new QHBoxLayout;
    lblRange = new QLabel(tab);
    cboRange = new QComboBox(tab);
    cboRange->setObjectName(QStringLiteral("cboRange"));
    for (int i = 0; i < lang::text::kTrendRangeCount; ++i)
        cboRange->addItem(QString());
    lblRange->setBuddy(cboRange);
    dtpFrom = new QDateEdit(tab);
    dtpFrom->setObjectName(QStringLiteral("dtpFrom"));
    dtpTo = new QDateEdit(tab);
    dtpTo->setObjectName(QStringLiteral("dtpTo"));
    for (QDateEdit* edit : {dtpFrom, dtpTo}) {
        edit->setCalendarPopup(true);
        edit->setEnabled(false);
        connect(edit, &QDateEdit::dateChanged, this, [this] {
            if (cboRange->currentIndex() == lang::text::kTrendRangeCount - 1)
                ShowTrend();
        });
    }
    connect(cboRange, &QComboBox::currentIndexChanged, this, [this](int which) {
        const bool between = which == lang::text::kTrendRangeCount - 1;
        if (between) {
            // From–to starts from the range shown.
            const auto [from, to] = TrendRange();
            const QSignalBlocker a(dtpFrom), b(dtpTo);
            dtpFrom->setDate(from);
            dtpTo->setDate(to);
        }
        dtpFrom->setEnabled(between);
        dtpTo->setEnabled(between);
        ShowTrend();
    });
    lblMeasures = new QLabel(tab);
    lstMeasures = new QListWidget(tab);
    lstMeasures->setObjectName(QStringLiteral("lstMeasures"));
    lstMeasures->setFlow(QListView::LeftToRight);
    lstMeasures->setWrapping(true);
    for (int m = 0; m < report::kTrendMeasureCount; ++m) {
        auto* item = new QListWidgetItem(lstMeasures);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        const auto measure = static_cast<report::TrendMeasure>(m);
        item->setCheckState(measure == report::TrendMeasure::Odi3 || measure == report::TrendMeasure::T90
                                ? Qt::Checked
                                : Qt::Unchecked);
    }
    lstMeasures->setResizeMode(QListView::Adjust);
    lstMeasures->setMaximumHeight(lstMeasures->sizeHintForRow(0) * 2 + 2 * lstMeasures->frameWidth() + 8);
    connect(lstMeasures, &QListWidget::itemChanged, this, &NightsWindow::ShowTrend);
    choose->addWidget(lblRange);
    choose->addWidget(cboRange);
    choose->addWidget(dtpFrom);
    choose->addWidget(dtpTo);
    choose->addStretch(1);
    layout->addLayout(choose);
    // The measures on a line of their own: at twice the scale they still fit, wrapping if need be.
    auto* measures = new QHBoxLayout;
    measures->addWidget(lblMeasures);
    measures->addWidget(lstMeasures, 1);
    layout->addLayout(measures);
    auto* body = new QSplitter(Qt::Horizontal, tab);
    m_trend = new TrendView(m_language, body);
    connect(m_trend, &TrendView::NightOpened, this, &NightsWindow::OpenTrendNight);
    txtTrendFigures = new QTextBrowser(body);
    txtTrendFigures->setObjectName(QStringLiteral("txtTrendFigures"));
    txtTrendFigures->setMinimumWidth(200);
    body->addWidget(m_trend);
    body->addWidget(txtTrendFigures);
    body->setStretchFactor(0, 3);
    body->setStretchFactor(1, 1);
    layout->addWidget(body, 1);
    return tab;
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
    lblUnreadable->setText(T(lang::text::kUnreadableFiles));
    m_tabs->setTabText(0, T(lang::text::kNightTab));
    m_tabs->setTabText(1, T(lang::text::kTrendTab));
    m_aside->setTabText(0, T(lang::text::kEventsTab));
    m_aside->setTabText(1, T(lang::text::kFiguresTab));
    m_aside->setTabText(2, T(lang::text::kNotesTab));
    lblRange->setText(T(lang::text::kTrendRange));
    for (int i = 0; i < lang::text::kTrendRangeCount; ++i)
        cboRange->setItemText(i, T(lang::text::kTrendRanges + i));
    lblMeasures->setText(T(lang::text::kTrendMeasures) + QLatin1Char(':'));
    {
        const QSignalBlocker quiet(lstMeasures);
        for (int m = 0; m < lstMeasures->count(); ++m)
            lstMeasures->item(m)->setText(T(lang::text::kMeasureNames + m).section(QStringLiteral(" ["), 0, 0));
    }
    const QString dateFormat =
        m_language == lang::kGerman ? QStringLiteral("dd.MM.yyyy") : QStringLiteral("yyyy-MM-dd");
    dtpFrom->setDisplayFormat(dateFormat);
    dtpTo->setDisplayFormat(dateFormat);
    m_trend->setAccessibleDescription(T(lang::text::kTrendKeys));
    m_trend->setToolTip(T(lang::text::kTrendKeys));
    QStringList eventHeader;
    for (int c = 0; c < lang::text::kEventColumns; ++c)
        eventHeader << T(lang::text::kEventHeader + c);
    lstEvents->setHeaderLabels(eventHeader);
    lblHelp->setText(T(lang::text::kNightViewHelp) + QStringLiteral(" · ") + T(lang::text::kNoWaveHere));
    lblHelp->setToolTip(lblHelp->text());
    for (int i = 0; i < 4; ++i)
        cmdSave[static_cast<std::size_t>(i)]->setText(T(63 + i));
    const std::pair<QWidget*, int> names[] = {
        {tblNights, lang::text::kNameNights},
        {m_view, lang::text::kNameNightChart},
        {m_tabs, lang::text::kNameTabs},
        {lstUnreadable, lang::text::kNameUnreadable},
        {m_progress, lang::text::kNameProgress},
        {m_trend, lang::text::kNameTrend},
        {m_pointer, lang::text::kNameReadout},
        {m_status, lang::text::kNameStatusLine},
        {m_folderText, lang::text::kNightsFolder},
        {lstEvents, lang::text::kNameEvents},
        {txtFigures, lang::text::kNameFigures},
        {m_aside, lang::text::kNameEventsAndFigures},
        {cboRange, lang::text::kTrendRange},
        {dtpFrom, lang::text::kTrendFrom},
        {dtpTo, lang::text::kTrendTo},
        {lstMeasures, lang::text::kTrendMeasures},
        {txtTrendFigures, lang::text::kNameTrendFigures},
    };
    for (const auto& [control, offset] : names)
        control->setAccessibleName(T(offset).remove(QLatin1Char('&')));
    m_view->setAccessibleDescription(T(lang::text::kNightViewHelp));
    lblUnreadable->setBuddy(lstUnreadable);
    lang::AssignMnemonics(*this);
}

}  // namespace trelvo::app

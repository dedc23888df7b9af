#include "search/ui/FindFrame.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QSettings>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "browsing/CatalogueDocument.h"
#include "search/ui/FSFindView.h"
#include "ui/QtText.h"

namespace volcatra {

namespace {

// Dispatching pending events costs little, but not nothing: at most this often.
constexpr qint64 kPumpIntervalMs = 30;

}  // namespace

// --- Document ------------------------------------------------------------------------------

bool CFSFindDoc::CanCloseFrame(CFindFrame& frame) {
    switch (frame.SearchState()) {
        case SEARCH_IDLE:
            return true;
        case SEARCH_RUNNING:
        case SEARCH_STOP:
            // The engine is still working in this window: close once it has stopped.
            frame.SetSearchState(SEARCH_CLOSE_WINDOW);
            return false;
        default:
            // Already closing this window or the program after the search.
            return false;
    }
}

bool CFSFindDoc::OnCommand(uint32_t id) {
    return id == ID_FILE_SAVE;
}

std::optional<CommandState> CFSFindDoc::QueryCommand(uint32_t id) const {
    if (id == ID_FILE_SAVE) return CommandState{false, false};
    return std::nullopt;
}

// --- Conditions bar ------------------------------------------------------------------------

CConditionBar::CConditionBar(CFindFrame& frame) : QWidget(&frame), m_frame(frame) {
    setObjectName(QStringLiteral("DialogBar"));
    setWindowTitle(QStringLiteral("DialogBar"));
    ComputeBaseUnits();
    auto* nameLabel = new QLabel(tr("名前(&N):"), this);
    nameLabel->setGeometry(DialogRect(7, 9, 43, 8));
    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("NameBox"));
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    // Exactly the typed text is searched: no completion from the history.
    m_name->setCompleter(nullptr);
    m_name->setGeometry(DialogRect(50, 8, 173, 12));
    nameLabel->setBuddy(m_name);

    auto* placeLabel = new QLabel(tr("探す場所(&L):"), this);
    placeLabel->setGeometry(DialogRect(7, 26, 43, 8));
    m_place = new QComboBox(this);
    m_place->setObjectName(QStringLiteral("PlaceBox"));
    m_place->setEditable(true);
    m_place->setInsertPolicy(QComboBox::NoInsert);
    m_place->setCompleter(nullptr);
    m_place->setGeometry(DialogRect(50, 24, 116, 12));
    placeLabel->setBuddy(m_place);

    const auto button = [this](const QString& text, QRect rect, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(rect);
        b->setAutoDefault(false);
        return b;
    };
    m_browse = button(tr("参照(&B)..."), DialogRect(173, 24, 50, 14), "BrowseButton");
    m_subfolders = new QCheckBox(tr("サブフォルダも含める(&D)"), this);
    m_subfolders->setObjectName(QStringLiteral("SubfoldersBox"));
    m_subfolders->setGeometry(DialogRect(64, 42, 103, 12));
    m_start = button(tr("検索開始(&I)"), DialogRect(236, 7, 55, 14), "StartButton");
    m_start->setDefault(true);
    m_stop = button(tr("停止(&S)"), DialogRect(236, 24, 55, 14), "StopButton");
    m_new = button(tr("新しい条件(&W)"), DialogRect(236, 41, 55, 14), "NewButton");
    for (QPushButton* b : {m_start, m_stop, m_new, m_browse}) {
        const uint32_t id = b == m_start  ? ID_SEARCH_START
                            : b == m_stop ? ID_SEARCH_STOP
                            : b == m_new  ? ID_SEARCH_NEW
                                          : ID_SEARCH_BROWSE;
        b->setStatusTip(GetCommandText(id).m_prompt);
        connect(b, &QPushButton::clicked, this, [this, id]() { m_frame.RunCommand(id); });
    }
    // Enter in either box presses the start button. The search starts once
    // the key's own handling has returned: a search begun inside the line
    // edit's key handling does not get the clicks on the stop button.
    for (QComboBox* box : {m_name, m_place})
        connect(
            box->lineEdit(), &QLineEdit::returnPressed, this, [this]() { m_frame.RunCommand(ID_SEARCH_START); },
            Qt::QueuedConnection);

    m_barSize = DialogRect(0, 0, 300, 58).size();
    m_placeBoxSize = m_place->size();
    setMinimumHeight(m_barSize.height());
    setMaximumHeight(m_barSize.height());
    resize(m_barSize);
}

void CConditionBar::ComputeBaseUnits() {
    // Dialog units: a quarter of the font's average character width across,
    // an eighth of its height down. Fonts whose Japanese characters are wider
    // against their Latin ones than the design's get wider units, so that
    // every fixed text of the bar fits its control.
    const QFontMetrics metrics(font());
    const int advance =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1.0, double((advance / 26 + 1) / 2));
    m_baseY = std::max(1, metrics.height());
    const int indicator =
        style()->pixelMetric(QStyle::PM_IndicatorWidth) + style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) + 4;
    const int buttonMargin = 2 * style()->pixelMetric(QStyle::PM_ButtonMargin) + 4;
    struct Fixed {
        QString m_text;  // as shown, with its mnemonic marker
        int m_width;     // dialog units
        int m_extra;     // pixels beside the text
    };
    const Fixed fixed[] = {{tr("名前(&N):"), 43, 0},
                           {tr("探す場所(&L):"), 43, 0},
                           {tr("サブフォルダも含める(&D)"), 103, indicator},
                           {tr("参照(&B)..."), 50, buttonMargin},
                           {tr("検索開始(&I)"), 55, buttonMargin},
                           {tr("新しい条件(&W)"), 55, buttonMargin}};
    for (const Fixed& f : fixed) {
        const int needed = metrics.horizontalAdvance(QString(f.m_text).remove(u'&')) + f.m_extra;
        m_baseX = std::max(m_baseX, needed * 4.0 / f.m_width);
    }
}

QRect CConditionBar::DialogRect(int x, int y, int w, int h) const {
    const auto mx = [this](int v) { return int(v * m_baseX / 4 + 0.5); };
    const auto my = [this](int v) { return (v * m_baseY + 4) / 8; };
    return QRect(mx(x), my(y), mx(x + w) - mx(x), my(h));
}

QPushButton* CConditionBar::Button(uint32_t id) const {
    switch (id) {
        case ID_SEARCH_START:
            return m_start;
        case ID_SEARCH_STOP:
            return m_stop;
        case ID_SEARCH_NEW:
            return m_new;
        case ID_SEARCH_BROWSE:
            return m_browse;
        default:
            return nullptr;
    }
}

void CConditionBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int cx = width();
    if (m_barSize.width() == 0 || cx < m_barSize.width() || m_frame.isMinimized()) return;
    const int delta = m_placeBoxSize.width() + (cx - m_barSize.width()) - m_place->width();
    if (delta == 0) return;
    m_place->resize(m_place->width() + delta, m_place->height());
    m_name->resize(m_name->width() + delta, m_name->height());
    for (QPushButton* b : {m_start, m_stop, m_new, m_browse}) b->move(b->x() + delta, b->y());
}

void CConditionBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QTimer::singleShot(0, this, [this]() { m_frame.RunCommand(ID_SEARCH_START); });
        return;
    }
    QWidget::keyPressEvent(event);
}

// --- Window --------------------------------------------------------------------------------

CFindFrame::CFindFrame(ISearchHost& host, std::unique_ptr<CFSFindDoc> document)
    : m_host(host), m_document(std::move(document)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("FindFrame"));
    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_conditionBar = new CConditionBar(*this);
    m_conditionBar->setParent(client);
    m_view = new CFSFindView(*this);
    m_view->setParent(client);
    layout->addWidget(m_conditionBar);
    layout->addWidget(m_view, 1);
    setWidget(client);
    setWindowTitle(QString::fromStdU16String(m_document->GetTitle()));

    // The histories, the first place (the home folder on first use: the
    // program's folder holds no catalogues here), subfolders ticked.
    LoadHistory(m_conditionBar->NameBox(), "File");
    m_conditionBar->NameBox()->setEditText(QString());
    LoadHistory(m_conditionBar->PlaceBox(), "Path");
    if (m_conditionBar->PlaceBox()->count() == 0) m_conditionBar->PlaceBox()->addItem(QDir::homePath());
    m_conditionBar->PlaceBox()->setCurrentIndex(0);
    m_conditionBar->SubfoldersBox()->setChecked(true);
    UpdateBar();

    // The bar follows the commands' states while no search runs.
    auto* idle = new QTimer(this);
    idle->setInterval(250);
    connect(idle, &QTimer::timeout, this, [this]() {
        if (!m_host.FindRunningSearchFrame()) UpdateBar();
    });
    idle->start();
}

CFindFrame::~CFindFrame() {
    m_host.FrameDestroyed(*this);
}

void CFindFrame::LoadHistory(QComboBox* box, const char* valueName) {
    auto settings = m_host.Settings();
    for (int i = 0; i < kFindHistoryCount; ++i) {
        const QString text =
            settings->value(QStringLiteral("Recent Find List/%1%2").arg(QLatin1String(valueName)).arg(i)).toString();
        if (text.isEmpty()) break;
        box->addItem(text);
    }
}

void CFindFrame::RecordHistory(QComboBox* box, const char* valueName) {
    const QString text = box->currentText();
    box->insertItem(0, text);
    for (int i = box->count() - 1; i >= 1; --i)
        if (box->itemText(i) == text) box->removeItem(i);
    box->setCurrentIndex(0);
    auto settings = m_host.Settings();
    for (int i = 0; i < kFindHistoryCount; ++i)
        settings->setValue(QStringLiteral("Recent Find List/%1%2").arg(QLatin1String(valueName)).arg(i),
                           i < box->count() ? box->itemText(i) : QString());
}

void CFindFrame::SetSearchSource(CCatalogueDocument* source) {
    m_sourceDoc = source;
    m_hasSource = source != nullptr;
    if (source) {
        QComboBox* place = m_conditionBar->PlaceBox();
        place->setEditText(QString::fromStdU16String(source->GetTitle()));
        place->setEnabled(false);
        m_conditionBar->Button(ID_SEARCH_BROWSE)->setEnabled(false);
        m_conditionBar->SubfoldersBox()->setChecked(false);
        m_conditionBar->SubfoldersBox()->hide();
    }
    m_conditionBar->NameBox()->setFocus(Qt::OtherFocusReason);
    UpdateBar();
}

void CFindFrame::SourceClosed(const CCatalogueDocument& document) {
    if (m_sourceDoc == &document) m_sourceDoc = nullptr;
}

const RootList* CFindFrame::GetSourceCatalogue() const {
    return m_sourceDoc ? &m_sourceDoc->Roots() : nullptr;
}

void CFindFrame::ShowStatusText(const std::u16string& text) {
    m_host.ShowStatusText(QString::fromStdU16String(text));
}

void CFindFrame::PumpSearchMessages() {
    if (m_sincePump.isValid() && m_sincePump.elapsed() < kPumpIntervalMs) return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    m_sincePump.start();
}

void CFindFrame::UpdateBar() {
    for (uint32_t id : {ID_SEARCH_START, ID_SEARCH_STOP, ID_SEARCH_NEW, ID_SEARCH_BROWSE})
        if (QPushButton* b = m_conditionBar->Button(id)) b->setEnabled(QueryCommand(id)->m_enabled);
    m_conditionBar->SubfoldersBox()->setEnabled(QueryCommand(ID_SEARCH_SUBFOLDERS)->m_enabled);
}

void CFindFrame::RunCommand(uint32_t id) {
    switch (id) {
        case ID_SEARCH_START:
            StartSearch();
            break;
        case ID_SEARCH_STOP:
            if (m_searchState != SEARCH_IDLE) m_searchState = SEARCH_STOP;
            break;
        case ID_SEARCH_NEW:
            m_conditionBar->NameBox()->setEditText(QString());
            break;
        case ID_SEARCH_BROWSE:
            Browse();
            break;
        case ID_SEARCH_CLOSE:
            QTimer::singleShot(0, this, &QWidget::close);
            break;
        case ID_SEARCH_SUBFOLDERS:
            m_conditionBar->SubfoldersBox()->toggle();
            break;
        default:
            break;
    }
}

bool CFindFrame::OnCommand(uint32_t id) {
    const std::optional<CommandState> state = QueryCommand(id);
    if (!state) return false;
    if (state->m_enabled) RunCommand(id);
    return true;
}

std::optional<CommandState> CFindFrame::QueryCommand(uint32_t id) const {
    switch (id) {
        case ID_SEARCH_START:
            return CommandState{!m_host.FindRunningSearchFrame() && m_searchState == SEARCH_IDLE, false};
        case ID_SEARCH_STOP:
            // Also over a pending close: a stop then keeps the window open.
            return CommandState{m_searchState != SEARCH_IDLE, false};
        case ID_SEARCH_NEW:
        case ID_SEARCH_CLOSE:
            return CommandState{true, false};
        case ID_SEARCH_BROWSE:
            return CommandState{!m_hasSource && m_searchState == SEARCH_IDLE, false};
        case ID_SEARCH_SUBFOLDERS:
            return CommandState{!m_hasSource && m_searchState == SEARCH_IDLE,
                                m_conditionBar->SubfoldersBox()->isChecked()};
        default:
            return std::nullopt;
    }
}

void CFindFrame::StartSearch() {
    CFindFrame* running = m_host.FindRunningSearchFrame();
    if (running == this || m_searchState != SEARCH_IDLE) return;
    if (running) {
        m_host.Messages().Show(Tr(kOtherSearchRunningText), MessageButtons::Ok);
        return;
    }
    // A closed source catalogue is not searched.
    if (m_hasSource && !m_sourceDoc) {
        m_host.Messages().Show(Tr(kSourceClosedText), MessageButtons::Ok);
        return;
    }
    QComboBox* name = m_conditionBar->NameBox();
    QComboBox* place = m_conditionBar->PlaceBox();
    const QString nameText = name->currentText();
    if (!nameText.isEmpty()) RecordHistory(name, "File");
    const QString placeText = place->currentText();
    if (!m_hasSource && !placeText.isEmpty()) RecordHistory(place, "Path");
    const bool includeSubfolders = m_conditionBar->SubfoldersBox()->isChecked();

    m_searchState = SEARCH_RUNNING;
    QPushButton* start = m_conditionBar->Button(ID_SEARCH_START);
    QPushButton* stop = m_conditionBar->Button(ID_SEARCH_STOP);
    start->setEnabled(false);
    stop->setEnabled(true);
    m_conditionBar->Button(ID_SEARCH_BROWSE)->setEnabled(false);
    const CNamePattern pattern = PrepareNamePattern(nameText.toStdU16String());
    // The source catalogue must not change under the engine.
    CCatalogueDocument* source = m_sourceDoc;
    if (source) source->SetBeingSearched(true);
    m_sincePump.invalidate();
    m_view->RunSearch(pattern, placeText.toStdU16String(), includeSubfolders);
    if (source) source->SetBeingSearched(false);
    stop->setEnabled(false);

    const int32_t state = m_searchState;
    m_searchState = SEARCH_IDLE;
    if (state == SEARCH_CLOSE_APP)
        m_host.PostCloseMainWindow();
    else if (state == SEARCH_CLOSE_WINDOW)
        QTimer::singleShot(0, this, &QWidget::close);
    UpdateBar();
}

void CFindFrame::Browse() {
    if (m_searchState != SEARCH_IDLE || m_hasSource) return;
    QComboBox* place = m_conditionBar->PlaceBox();
    const QString start = place->currentText().left(259);
    const QString chosen = m_host.ChooseFolder(this, QtText(kFolderChooserTitle), start);
    if (chosen.isEmpty()) return;
    place->setEditText(chosen);
    place->setFocus(Qt::OtherFocusReason);
}

void CFindFrame::closeEvent(QCloseEvent* event) {
    if (!m_document->CanCloseFrame(*this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}

}  // namespace volcatra

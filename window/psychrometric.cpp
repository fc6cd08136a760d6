#include "psychrometric.h"

#include "driver.h"
#include "toolkit_seam.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyleOptionComplex>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QUrl>

#include <algorithm>
#include <string>

// The artwork is compiled into this library; a static library has to ask for
// its resources by name, from the global namespace.
static void LoadArtwork()
{
    Q_INIT_RESOURCE(humitrax);
}

namespace humitrax {
namespace {

const QString kIcon = QStringLiteral(":/humitrax/humitrax.ico");
const QString kPicture = QStringLiteral(":/humitrax/Image1.gif");

// Debian's fonts-wine ships a free Tahoma outside fontconfig's search path.
const QString kTahoma = QStringLiteral("Tahoma");
const QString kWineTahoma = QStringLiteral("/usr/share/wine/fonts/tahoma.ttf");
// 9.75 pt at the 96 dpi that the layout's twips assume.
constexpr int kFontPixels = 13;

const QColor kWindowGrey(0xE0, 0xE0, 0xE0);
const QColor kButtonWhite(0xFF, 0xFF, 0xFF);

const QString kRightsNotice = QStringLiteral("Copyright \u00A9 Humitrax. All rights reserved.");
const QString kSupportLine = QStringLiteral("support at www.humitrax.example");

constexpr int kTwipsPerPixel = 15;

/// A length in twips as pixels, to the nearest pixel.
constexpr int Px(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QRect Twips(int left, int top, int width, int height)
{
    return {Px(left), Px(top), Px(width), Px(height)};
}

QFont WindowFont()
{
    if (!QFontDatabase::hasFamily(kTahoma))
        QFontDatabase::addApplicationFont(kWineTahoma); // -1 when absent: fall back quietly
    QFont font(kTahoma);
    font.setStyleHint(QFont::SansSerif); // what stands in when there is no Tahoma at all
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

template <typename Control>
Control* Place(Control* control, const char* name, const QRect& geometry)
{
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    return control;
}

QLabel* AddLabel(QWidget* window, const char* name, const QString& text, const QRect& geometry)
{
    auto* label = Place(new QLabel(text, window), name, geometry);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QLineEdit* AddEntry(QWidget* window, const char* name, int maxLength, const QRect& geometry)
{
    auto* box = Place(new QLineEdit(window), name, geometry);
    box->setMaxLength(maxLength);
    // Every character then arrives as a key event, through the key filter.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    return box;
}

QComboBox* AddList(QWidget* window, const char* name, const QStringList& entries,
                   const QRect& geometry)
{
    auto* list = Place(new QComboBox(window), name, geometry);
    list->setEditable(false);
    list->addItems(entries);
    list->setCurrentIndex(-1); // no selection until Form_Load makes one
    QPalette palette = list->palette();
    palette.setColor(QPalette::Button, kWindowGrey);
    palette.setColor(QPalette::Base, kWindowGrey);
    list->setPalette(palette);
    return list;
}

/// The lists as a drop-down list box is drawn on the desktop the layout comes
/// from: a narrow arrow, so that the longest entry ("Altitude - above sea
/// level:", 149 px in Tahoma) fits the 169 px list, and a plain drop-down in
/// the list's own colours rather than a menu.
class ListStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override
    {
        if (control == CC_ComboBox && (part == SC_ComboBoxArrow || part == SC_ComboBoxEditField)) {
            const QRect frame = option->rect;
            const QRect area = part == SC_ComboBoxArrow
                                   ? QRect(frame.right() - kArrowWidth + 1, frame.top(), kArrowWidth,
                                           frame.height())
                                   : frame.adjusted(kTextMargin, kTextMargin, -kArrowWidth, -kTextMargin);
            return visualRect(option->direction, frame, area);
        }
        return QProxyStyle::subControlRect(control, option, part, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    static constexpr int kArrowWidth = 16;
    static constexpr int kTextMargin = 2;
};

/// The Calculate button's face in plain white. Styles such as Fusion shade a
/// button's face and tint a default button's with the highlight colour; this
/// paints the face white over that, inside the outline, so that the default
/// button's outline, the focus frame (drawn after the face) and the pressed
/// look all stay the style's own.
class WhiteFaceStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override
    {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        const bool pressed = (option->state & (State_Sunken | State_On)) != 0;
        if (element == PE_PanelButtonCommand && !pressed)
            painter->fillRect(option->rect.adjusted(kOutline, kOutline + 1, -kOutline - 1, -kOutline),
                              option->palette.button());
    }

private:
    static constexpr int kOutline = 1; ///< the outline's width, left standing
};

/// The entries of an open list, with room above and below the text.
class ListEntryDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), option.fontMetrics.height() + kPadding));
        return size;
    }

private:
    static constexpr int kPadding = 4;
};

/// A list entry as the name of the entry box beside it ("Barometric pressure").
QString CaptionName(const QString& caption)
{
    return caption.endsWith(QLatin1Char(':')) ? caption.chopped(1) : caption;
}

/// The key filter of the three entry boxes: the digits, the point, backspace
/// and tab pass; every other character is refused.
void KeepNumberCharacters(std::int16_t& KeyAscii)
{
    if (KeyAscii >= '0' && KeyAscii <= '9')
        return;
    if (KeyAscii == '.' || KeyAscii == '\b' || KeyAscii == '\t')
        return;
    KeyAscii = 0;
}

} // namespace

void DescribeApplication()
{
    LoadArtwork();
    QCoreApplication::setApplicationName(QStringLiteral("Humitrax"));
    QCoreApplication::setApplicationVersion(QStringLiteral(HUMITRAX_VERSION_TEXT));
    QGuiApplication::setDesktopFileName(QStringLiteral("humitrax"));
    QGuiApplication::setWindowIcon(QIcon(kIcon));
}

Psychrometric::Psychrometric(ToolkitSeam& toolkit, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::MSWindowsFixedSizeDialogHint)
    , m_toolkit(toolkit)
{
    LoadArtwork();
    setObjectName(QStringLiteral("psychrometric"));
    setWindowTitle(QStringLiteral("Humitrax"));
    setWindowIcon(QIcon(kIcon));
    setFont(WindowFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kWindowGrey);
    setPalette(palette);
    setAutoFillBackground(true);
    // The client area at its first position, not centred; it never resizes.
    setGeometry(Twips(6450, 3645, 6030, 5655));
    setFixedSize(size());

    m_dryBulbLabel = AddLabel(this, "drytemp", QStringLiteral("Dry bulb temperature:"),
                              Twips(520, 430, 2295, 255));
    m_dryBulbEntry = AddEntry(this, "DBT", 3, Twips(3120, 360, 1935, 360));
    m_pressureKindList = AddList(this, "barocond",
                                 {QStringLiteral("Barometric pressure:"),
                                  QStringLiteral("Altitude - above sea level:")},
                                 Twips(480, 840, 2535, 360));
    m_secondEntry = AddEntry(this, "second", 7, Twips(3120, 840, 1935, 360));
    m_temperatureUnitLabel =
        AddLabel(this, "tempunit", QStringLiteral("\u00B0C"), Twips(5160, 480, 375, 255));
    m_unitLabel = AddLabel(this, "unit", QStringLiteral("kPa"), Twips(5160, 890, 375, 255));
    m_conditionList = AddList(this, "thirdcond",
                              {QStringLiteral("Wet bulb temperature:"),
                               QStringLiteral("Dew point temperature:"),
                               QStringLiteral("Relative humidity:"), QStringLiteral("Humidity ratio:")},
                              Twips(480, 1320, 2535, 360));
    m_thirdEntry = AddEntry(this, "Text1", 7, Twips(3120, 1320, 1935, 360));

    m_calculateButton =
        Place(new QPushButton(QStringLiteral("&Calculate Psychrometric Properties"), this),
              "calculate", Twips(360, 1920, 5295, 375));
    // The "&" makes Alt+C press the button. setDefault draws it as the default
    // button and lets Enter press it while it has the focus; Enter elsewhere
    // reaches keyPressEvent.
    m_calculateButton->setDefault(true);
    palette = m_calculateButton->palette();
    palette.setColor(QPalette::Button, kButtonWhite);
    m_calculateButton->setPalette(palette);

    m_conditionUnitLabel =
        AddLabel(this, "Label1", QStringLiteral("\u00B0C"), Twips(5160, 1365, 375, 255));
    m_resultsLabel = AddLabel(this, "Label2", kRightsNotice, Twips(360, 2640, 5295, 2655));
    m_resultsLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_resultsLabel->setLineWidth(1);
    m_supportLabel = AddLabel(this, "Label3", kSupportLine, Twips(720, 5400, 4935, 255));
    m_supportLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    palette = m_supportLabel->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Highlight));
    m_supportLabel->setPalette(palette);
    m_supportLabel->setCursor(Qt::PointingHandCursor);

    // The picture lies in the right-hand part of the results area, beneath it:
    // the results text runs over the picture.
    m_picture = Place(new QLabel(this), "Image1", Twips(3480, 2760, 2085, 2070));
    m_picture->setPixmap(QPixmap(kPicture));
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_picture->stackUnder(m_resultsLabel);

    auto* buttonStyle = new WhiteFaceStyle(QApplication::style()->name());
    buttonStyle->setParent(this);
    m_calculateButton->setStyle(buttonStyle);

    // Created after the lists, so that it is deleted after them.
    auto* listStyle = new ListStyle(QApplication::style()->name());
    listStyle->setParent(this);
    for (QComboBox* list : {m_pressureKindList, m_conditionList}) {
        list->setStyle(listStyle);
        list->setItemDelegate(new ListEntryDelegate(list));
    }

    setTabOrder(m_dryBulbEntry, m_pressureKindList);
    setTabOrder(m_pressureKindList, m_secondEntry);
    setTabOrder(m_secondEntry, m_conditionList);
    setTabOrder(m_conditionList, m_thirdEntry);
    setTabOrder(m_thirdEntry, m_calculateButton);

    m_dryBulbEntry->setAccessibleName(CaptionName(m_dryBulbLabel->text()));
    m_pressureKindList->setAccessibleName(QStringLiteral("Pressure or altitude"));
    m_conditionList->setAccessibleName(QStringLiteral("Third condition"));

    for (QLineEdit* box : {m_dryBulbEntry, m_secondEntry, m_thirdEntry})
        box->installEventFilter(this);
    for (QComboBox* list : {m_pressureKindList, m_conditionList})
        list->installEventFilter(this);
    m_supportLabel->installEventFilter(this);

    connect(m_pressureKindList, &QComboBox::currentIndexChanged, this, &Psychrometric::barocond_Click);
    connect(m_conditionList, &QComboBox::currentIndexChanged, this, &Psychrometric::thirdcond_Click);
    connect(m_pressureKindList, &QComboBox::currentIndexChanged, this, &Psychrometric::describeEntries);
    connect(m_conditionList, &QComboBox::currentIndexChanged, this, &Psychrometric::describeEntries);
    connect(m_calculateButton, &QPushButton::clicked, this, &Psychrometric::calculate_Click);

    Form_Load();
    m_dryBulbEntry->setFocus();
}

void Psychrometric::Form_Load()
{
    m_pressureKindList->setCurrentIndex(pressure_entries::kPressure);
    m_conditionList->setCurrentIndex(condition_entries::kWetBulb);
}

void Psychrometric::barocond_Click()
{
    switch (m_pressureKindList->currentIndex()) {
    case pressure_entries::kPressure:
        m_unitLabel->setText(QStringLiteral("kPa"));
        break;
    case pressure_entries::kAltitude:
        m_unitLabel->setText(QStringLiteral("m"));
        break;
    default:
        break;
    }
}

void Psychrometric::barocond_Validate(std::int16_t& /*Cancel*/)
{
    barocond_Click();
}

void Psychrometric::thirdcond_Click()
{
    switch (m_conditionList->currentIndex()) {
    case condition_entries::kWetBulb:
    case condition_entries::kDewPoint:
        m_conditionUnitLabel->setText(QStringLiteral("\u00B0C"));
        break;
    case condition_entries::kRelativeHumidity:
        m_conditionUnitLabel->setText(QStringLiteral("%"));
        break;
    case condition_entries::kHumidityRatio:
        m_conditionUnitLabel->setText(QStringLiteral("-"));
        break;
    default:
        break;
    }
}

void Psychrometric::thirdcond_Validate(std::int16_t& /*Cancel*/)
{
    thirdcond_Click();
}

void Psychrometric::DBT_KeyPress(std::int16_t& KeyAscii)
{
    KeepNumberCharacters(KeyAscii);
}

void Psychrometric::second_KeyPress(std::int16_t& KeyAscii)
{
    KeepNumberCharacters(KeyAscii);
}

void Psychrometric::Text1_KeyPress(std::int16_t& KeyAscii)
{
    KeepNumberCharacters(KeyAscii);
}

void Psychrometric::Form_Unload(std::int16_t& Cancel)
{
    try {
        if (m_toolkit.askYesNo(this, QString::fromLatin1(kQuitQuestion)) == Answer::No)
            Cancel = 1;
    } catch (...) {
        // The question could not be asked: nothing was confirmed, so stay open.
        Cancel = 1;
    }
}

void Psychrometric::Label3_Click()
{
    try {
        m_toolkit.openUrl(this, QUrl(QString::fromLatin1(kSupportAddress)));
    } catch (...) {
        // A failed request for the support page is silent.
    }
}

void Psychrometric::calculate_Click()
{
    const auto utf8 = [](const QString& text) { return text.toStdString(); };
    try {
        CalculationRequest request;
        request.dryBulb = utf8(m_dryBulbEntry->text());
        request.second = utf8(m_secondEntry->text());
        request.third = utf8(m_thirdEntry->text());
        request.barocond = static_cast<std::int16_t>(m_pressureKindList->currentIndex());
        request.thirdcond = static_cast<std::int16_t>(m_conditionList->currentIndex());
        NumberConventions conventions;
        conventions.decimalSeparator = utf8(QLocale::system().decimalPoint());

        const CalculationOutcome outcome = Calculate(request, conventions);
        if (outcome.succeeded)
            m_resultsLabel->setText(QString::fromStdString(outcome.text));
        else
            m_toolkit.showCritical(this, QString::fromStdString(outcome.text));
    } catch (...) {
        // Only running out of memory can get here; the press ends like any
        // other failed one, if the message can still be shown.
        try {
            m_toolkit.showCritical(
                this, QString::fromUtf8(messages::kCheckValues.data(),
                                        static_cast<qsizetype>(messages::kCheckValues.size())));
        } catch (...) {
        }
    }
}

void Psychrometric::closeEvent(QCloseEvent* event)
{
    std::int16_t Cancel = 0;
    Form_Unload(Cancel);
    if (Cancel != 0)
        event->ignore();
    else
        event->accept();
}

void Psychrometric::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the default button wherever the focus is. An entry box
    // and a closed list pass Return on to the window after they are done with
    // it, so this is the one place that acts on it: the press runs once.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        m_calculateButton->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool Psychrometric::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (auto* box = qobject_cast<QLineEdit*>(watched))
            return filterTypedCharacters(box, *static_cast<QKeyEvent*>(event));
        break;
    case QEvent::FocusOut: {
        // The list's own popup, or another window coming to the front, is not
        // the focus moving on to another control of this window.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            break;
        // Validate never cancels, so the focus always moves on.
        std::int16_t Cancel = 0;
        if (watched == m_pressureKindList)
            barocond_Validate(Cancel);
        else if (watched == m_conditionList)
            thirdcond_Validate(Cancel);
        break;
    }
    case QEvent::MouseButtonRelease:
        if (watched == m_supportLabel) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton
                && m_supportLabel->rect().contains(mouse->position().toPoint()))
                Label3_Click();
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool Psychrometric::filterTypedCharacters(QLineEdit* box, const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // The default button's key, handled by the window.
    case Qt::Key_Delete:
        // An editing key that types nothing (X11 reports the character DEL).
    case Qt::Key_Backtab:
        // Shift+Tab is the tab character, whatever text comes with it.
        return false;
    default:
        break;
    }
    // The editing shortcuts (copy, cut, paste, select all, undo, redo) are
    // commands, not typed characters, even where the platform reports a
    // control character with them; pasted text is not filtered.
    for (const QKeySequence::StandardKey command :
         {QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste, QKeySequence::SelectAll,
          QKeySequence::Undo, QKeySequence::Redo}) {
        if (event.matches(command))
            return false;
    }
    // Keys that type no character (arrows, Home, End) have no text and pass.
    for (const QChar character : event.text()) {
        auto KeyAscii = static_cast<std::int16_t>(character.unicode());
        if (box == m_dryBulbEntry)
            DBT_KeyPress(KeyAscii);
        else if (box == m_secondEntry)
            second_KeyPress(KeyAscii);
        else
            Text1_KeyPress(KeyAscii);
        if (KeyAscii == 0)
            return true; // refused: the box never sees the keystroke
    }
    return false;
}

void Psychrometric::describeEntries()
{
    // A screen reader names the two lower entry boxes by the list beside them.
    m_secondEntry->setAccessibleName(CaptionName(m_pressureKindList->currentText()));
    m_thirdEntry->setAccessibleName(CaptionName(m_conditionList->currentText()));
}

} // namespace humitrax

// File: psychrometric.h
// The calculator window `psychrometric`: three rows of entries, the Calculate
// button, the results area with its picture, and the support line. Every
// control is a child widget of its own at a fixed position (the layout is given
// in twips, 15 to a pixel at 96 dpi) and is found by its object name.
//
// One handler per event, named by its control and the event. The window is a
// plain QWidget, not a QDialog: Escape does not close it, and the only way out
// is a close request answered Yes.
#pragma once

#include <QWidget>

#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace humitrax {

class ToolkitSeam;

/// The question asked on every close request.
inline constexpr char kQuitQuestion[] = "Are you sure to quit?";

/// The page the support line opens.
inline constexpr char kSupportAddress[] =
    "http://www.humitrax.example/forums/viewforum.php?f=23&sid=5d41a9c07e3b2f86a4c1d09e7b35f2a8";

/// Names the program, and its version written "1.00.0001", to Qt (window
/// system, desktop entry, message boxes) and sets the application icon.
/// Call once after the QApplication exists.
void DescribeApplication();

class Psychrometric final : public QWidget {
    Q_OBJECT

public:
    /// Builds the window with its layout and runs Form_Load; `toolkit` shows
    /// the messages and opens the support page, and must outlive the window.
    explicit Psychrometric(ToolkitSeam& toolkit, QWidget* parent = nullptr);

    // The event handlers. The toolkit calls them; they are public so that a
    // test can also call one directly.

    /// Before the window is first shown: selects the first entry of both lists.
    void Form_Load();
    /// The selection of `barocond` changed: `unit` follows it.
    void barocond_Click();
    /// The focus is leaving `barocond`: the same update. Never cancels.
    void barocond_Validate(std::int16_t& Cancel);
    /// The selection of `thirdcond` changed: `Label1` follows it.
    void thirdcond_Click();
    /// The focus is leaving `thirdcond`: the same update. Never cancels.
    void thirdcond_Validate(std::int16_t& Cancel);
    /// A character typed into an entry box; set to 0 when refused.
    void DBT_KeyPress(std::int16_t& KeyAscii);
    void second_KeyPress(std::int16_t& KeyAscii);
    void Text1_KeyPress(std::int16_t& KeyAscii);
    /// A close request; Cancel set to 1 keeps the window open.
    void Form_Unload(std::int16_t& Cancel);
    /// The support line was clicked.
    void Label3_Click();
    /// The Calculate button was pressed (click, Enter or Alt+C).
    void calculate_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void describeEntries();
    bool filterTypedCharacters(QLineEdit* box, const QKeyEvent& event);

    ToolkitSeam& m_toolkit;

    // The controls, in tab order, each with the object name it is found by;
    // the picture has no tab stop.
    QLabel* m_dryBulbLabel = nullptr;          ///< drytemp: "Dry bulb temperature:"
    QLineEdit* m_dryBulbEntry = nullptr;       ///< DBT: the dry bulb, °C
    QComboBox* m_pressureKindList = nullptr;   ///< barocond: pressure or altitude
    QLineEdit* m_secondEntry = nullptr;        ///< second: the pressure or the altitude
    QLabel* m_temperatureUnitLabel = nullptr;  ///< tempunit: the dry bulb's unit
    QLabel* m_unitLabel = nullptr;             ///< unit: the second entry's unit, kPa or m
    QComboBox* m_conditionList = nullptr;      ///< thirdcond: which third condition
    QLineEdit* m_thirdEntry = nullptr;         ///< Text1: the third condition's value
    QPushButton* m_calculateButton = nullptr;  ///< calculate
    QLabel* m_conditionUnitLabel = nullptr;    ///< Label1: the third entry's unit
    QLabel* m_resultsLabel = nullptr;          ///< Label2: the rights notice, then the report
    QLabel* m_supportLabel = nullptr;          ///< Label3: the support line
    QLabel* m_picture = nullptr;               ///< Image1, beneath the results
};

} // namespace humitrax

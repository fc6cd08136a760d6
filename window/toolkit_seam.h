// File: toolkit_seam.h
// The window's few contacts with the world outside it: the modal message
// boxes and the request to show a web page. The program uses QtToolkitSeam;
// the tests hand the window a recorder instead, so that no test waits on a
// modal box or opens a browser.
#pragma once

class QString;
class QUrl;
class QWidget;

namespace humitrax {

/// The answer to a yes/no question.
enum class Answer { Yes, No };

class ToolkitSeam {
public:
    virtual ~ToolkitSeam() = default;

    /// A modal message box over `owner` with the critical icon and one OK
    /// button; returns when the user has closed it.
    virtual void showCritical(QWidget* owner, const QString& text) = 0;

    /// A modal message box over `owner` with the buttons Yes (the default)
    /// and No and no icon; returns the button chosen. Closing the box without
    /// choosing counts as No.
    virtual Answer askYesNo(QWidget* owner, const QString& text) = 0;

    /// Hands `address` to the user's default web browser and returns at once;
    /// a failure is silent.
    virtual void openUrl(QWidget* owner, const QUrl& address) = 0;

protected:
    ToolkitSeam() = default;
    ToolkitSeam(const ToolkitSeam&) = default;
    ToolkitSeam& operator=(const ToolkitSeam&) = default;
};

/// The real thing: QMessageBox titled "Humitrax" and QDesktopServices.
class QtToolkitSeam final : public ToolkitSeam {
public:
    void showCritical(QWidget* owner, const QString& text) override;
    Answer askYesNo(QWidget* owner, const QString& text) override;
    void openUrl(QWidget* owner, const QUrl& address) override;
};

} // namespace humitrax

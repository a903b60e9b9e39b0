// The about box: the maker's logo, the program line with version and build date, and links to
// the maker's web page and e-mail address.
#pragma once

#include <QDialog>

#include "HyperlinkLabel.h"

class QLabel;

namespace rir {

// The maker's addresses. Neutral placeholders until the maker supplies its own.
inline constexpr const char* MAKER_WEB_TEXT = "www.example.com";
inline constexpr const char* MAKER_WEB_URL = "https://www.example.com/";
inline constexpr const char* MAKER_EMAIL = "info@example.com";

inline constexpr QRgb ABOUT_BACKGROUND_RGB = qRgb(105, 149, 220);

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // The opener is handed to both link labels (the desktop's handler when empty).
    explicit CAboutDlg(QWidget* parent = nullptr, HyperlinkLabel::Opener opener = {});

    QLabel* programLine() const { return programLine_; }
    QLabel* webLabel() const { return webLabel_; }
    QLabel* mailLabel() const { return mailLabel_; }

private:
    QLabel* programLine_;
    QLabel* webLabel_;
    QLabel* mailLabel_;
};

} // namespace rir

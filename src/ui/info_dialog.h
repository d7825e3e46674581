// frmInfo: the modal progress window in which the long target operations run
// (the Talker download, later S-record programming and EEPROM erase). Its
// Cancel button sets the session's cancel flag; the operation notices it.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace tessaline {

class Session;

class InfoDialog : public QDialog {
    Q_OBJECT
public:
    // `operation` runs as soon as the window is shown; the window closes when it
    // returns.
    InfoDialog(Session& session, const QString& titre, std::function<void()> operation,
               QWidget* parent = nullptr);
    ~InfoDialog() override;

    // Shows the window modally and runs the operation in it.
    void executer();

public slots:
    void reject() override; // Escape does not close it either

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    Session& session_;
    std::function<void()> operation_;
    bool lancee_ = false;
    bool terminee_ = false;
    QLabel* span_;
    QLabel* message_;
    QProgressBar* progression_;
    QPushButton* annuler_;
};

} // namespace tessaline

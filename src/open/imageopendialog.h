#pragma once

#include "namedparameters.h"
#include "videoparameters.h"

#include <QDialog>

#include <string>

namespace Ui {
class ImageOpenDialog;
}

// Asks how to read a chosen raw file and hands the answer to the main window.
class ImageOpenDialog : public QDialog
{
    Q_OBJECT

public:
    // The one dialog, created at the first Open. releaseInstance() destroys it; main
    // calls it before the main window and the application object go.
    static ImageOpenDialog &instance();
    static void releaseInstance();

    explicit ImageOpenDialog(QWidget *parent = nullptr);
    ~ImageOpenDialog() override;

    // Shows the dialog modal for `path` (8-bit, as QFile::encodeName gives it) and
    // returns at once; the answer arrives through the button box.
    void showForFile(const std::string &path);
    // As showForFile, for a file named outside the dialog (the command line, a drop, the
    // file manager): the message line names the file, and the plan's size and layout,
    // where it has them, are put into the form.
    void askAboutFile(const std::string &path, const OpenPlan &plan);
    // The speed and scan that the form holds, which a file opened without asking takes.
    void readSpeedAndScan(VideoParameters &record) const;

private slots:
    void on_bbConfirmation_rejected();
    void on_bbConfirmation_accepted();

private:
    bool readFrameSize(VideoParameters &record);
    bool readFileSize(const std::string &path, qint64 &size);
    // Elided in the middle to fit the message line; the tool tip holds the whole name.
    void showWithName(const QString &messageTemplate, const QString &name);
    // `whole` is the message before a file name in it was shortened to fit.
    void refuse(const QString &message, const QString &whole = QString());
    void clearMessage();
    void refuseFile(const QString &messageTemplate, const std::string &path);

    Ui::ImageOpenDialog *ui;
    VideoParameters parameters;
};

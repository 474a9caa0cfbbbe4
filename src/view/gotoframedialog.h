#pragma once

#include <QDialog>

#include <cstdint>

namespace Ui {
class GoToFrameDialog;
}

// Asks which frame every video should show. OK takes a frame number from 0 to the last
// frame given; anything else is refused in the dialog, which stays open.
class GoToFrameDialog : public QDialog
{
    Q_OBJECT

public:
    // Frames are numbered from 0, as the video windows' titles number them.
    explicit GoToFrameDialog(std::int64_t lastFrame, QWidget *parent = nullptr);
    ~GoToFrameDialog() override;

    // The frame asked for, once the dialog is accepted.
    std::int64_t frame() const { return frame_; }

public slots:
    void accept() override;

private:
    Ui::GoToFrameDialog *ui;
    std::int64_t lastFrame_;
    std::int64_t frame_ = 0;
};

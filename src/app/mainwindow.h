#pragma once

#include "frameorder.h"
#include "namedparameters.h"
#include "player.h"
#include "videoparameters.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class ImageView;
class QAbstractButton;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMessageBox;
class QMimeData;
class QRadioButton;

namespace Ui {
class MainWindow;
}

// The control window: lists the opened videos and drives them.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    enum LoopMode { NoLoop = 0, Normal = 1, Bounce = 2 };

    // The one main window, created on first use. releaseInstance() destroys it; main
    // calls it before the application object goes, so no widget outlives QApplication.
    static MainWindow &instance();
    static void releaseInstance();

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    LoopMode loopMode() const;
    // Plays every listed video; the video windows' own keys and ticks go through it.
    Player &player() { return player_; }

    // Opens a window for the video, lists it, selects it and shows frame 0 of every
    // listed video. Throws std::bad_alloc, listing nothing, when the video's frame does
    // not fit the memory at hand.
    void addVideo(const VideoParameters &parameters);
    // Opens a window for the difference of two listed videos and lists it as addVideo
    // does. Returns the sentence that refuses it (the two cannot be compared, or the
    // memory would not hold it), or an empty text when it is listed.
    QString addDifference(VideoDocument &a, VideoDocument &b);
    // Opens the two files as openFiles does and then, once both are listed, the window of
    // their difference; a refusal of either is said, as is the comparison's.
    void openComparison(const std::string &a, const std::string &b, const AskedParameters &asked);
    // N and Shift+N in a difference window: every listed video shows the next (1) or
    // previous (-1) frame where the window's two videos differ; nothing when none does.
    void moveToDifference(ImageView *view, int direction);
    // The window of the list's current entry, or nullptr.
    ImageView *currentVideoWindow() const;
    // The zoom slider position of a preset percentage; 0 for any other.
    static int zoomSliderPosition(int percent);

    // Opens the files in the order given. A file whose frame size is known, from `asked`
    // or its name, is listed straight away as its dialog's OK would list it, or refused
    // with one line on standard error and in one message in the window for all that
    // were refused; the others are asked about through the dialog that Open shows, the
    // next once the one before is answered. Paths are the file system's bytes.
    // A y4m file opens straight away whatever its name, as its header says.
    void openFiles(const std::vector<std::string> &paths, const AskedParameters &asked = {});
    // Once the files being opened are listed or refused, every listed video goes to
    // `frame`, bounded by its own count, as Player::goTo takes it.
    void startAtFrame(std::int64_t frame);
    // Lists the file with the plan's size, layout, rate and scan, the dialog's speed and
    // scan standing in for a rate or scan the plan lacks; a y4m file as its header says,
    // the plan's size and layout to agree with it.
    // Returns the sentence that refuses it, naming it by its whole path, or an empty
    // text when the video is listed.
    QString openStraightAway(const std::string &path, const OpenPlan &plan);
    // Makes the video's entry the list's current one, as a click on the entry would.
    void selectVideo(const ImageView *view);
    // Does what the transport button of a video window's step key does. Steps are shown
    // once the event queue is empty: those typed while the videos were still busy are
    // taken together and every video shows only where they lead, so the videos catch up
    // with held keys and stop when the keys stop.
    void pressStepKey(TransportStep step);
    // Space: Stop while any listed video plays, else Play.
    void pressPlayKey();
    // Zooms the video by `steps` presets, through the zoom slider when it is selected;
    // merged like the step keys.
    void stepZoom(ImageView *view, int steps);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private slots:
    void on_pbOpenImage_clicked();
    void on_sliderImageZoom_valueChanged(int value);
    void on_sliderImageZoom_sliderMoved(int position);
    void on_pbCloseImage_clicked();
    void on_pb1stepFF_clicked();
    void on_pb5stepFF_clicked();
    void on_pb1stepRew_clicked();
    void on_pb5stepRew_clicked();
    void on_pbGoToEnd_clicked();
    void on_pbGoToStart_clicked();
    void on_pbHideImageWnd_clicked();
    void on_pbShowImageWnd_clicked();
    void on_pbMoveUpImageItem_clicked();
    void on_checkBoxGrid_clicked();
    void on_comboBoxGrid_currentIndexChanged(int index);
    void on_rbCompColor_clicked();
    void on_rbCompY_clicked();
    void on_rbCompU_clicked();
    void on_rbCompV_clicked();
    void on_rbCompR_clicked();
    void on_rbCompG_clicked();
    void on_rbCompB_clicked();
    void on_lwImageItems_currentRowChanged(int currentRow);
    void on_checkBoxToolTip_clicked();
    void on_pbStartPlay_clicked();
    void on_pbStopPlay_clicked();
    void on_MainWindow_destroyed();

private:
    ImageView *videoAt(int row) const;
    // Listens to the window's clicks and keys.
    void connectWindow(ImageView *view);
    template <typename Action> void forEachVideo(Action action);
    void showComponent(const QRadioButton *button, int view);
    // Size, layout, rate and colour of the selected video under "Video Info".
    void showVideoInfo(const VideoDocument &video);
    void applyGridControls();
    void openNextFile();
    // Lists the window and selects it, then shows frame 0 of every listed video.
    void listWindow(std::unique_ptr<ImageView> window);
    // The comparison that openComparison asked for, once its files are no longer pending.
    void openPendingComparison();
    // Shows the refusals gathered since the last, in one message; nothing for none.
    void showRefusals();
    void queueKeys();
    // Shows every step and zoom typed since the last call; one step clicks its button.
    void applyPendingKeys();
    QAbstractButton *stepButton(TransportStep step) const;
    void zoomTo(ImageView *view, int sliderPosition);

    // Files given on the command line or dropped, still to be opened.
    std::deque<std::pair<std::string, OpenPlan>> pendingFiles;
    // The files of a comparison still being opened, and how many videos were listed
    // before them.
    struct PendingComparison
    {
        std::string a;
        std::string b;
        std::size_t listedBefore = 0;
    };
    std::optional<PendingComparison> pendingComparison;
    std::optional<std::int64_t> pendingStartFrame;
    // Their refusals not yet shown, and the message that shows them.
    QStringList refusals;
    QPointer<QMessageBox> refusalMessage;

    // Keys typed into the video windows and not yet applied, in the order typed.
    std::vector<TransportStep> pendingSteps;
    std::vector<std::pair<QPointer<ImageView>, int>> pendingZooms;
    bool keysQueued = false;

    // Videos added since the program started; every second one gets a grey entry.
    static std::int32_t addedCount;

    // Before the form, so that it outlives the video windows that the destructor deletes.
    Player player_;
    Ui::MainWindow *ui;
};

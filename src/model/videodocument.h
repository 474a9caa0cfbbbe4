#pragma once

#include "frame.h"
#include "framecomparison.h"
#include "framesource.h"
#include "pixelreadout.h"
#include "samplevalues.h"
#include "videoparameters.h"

#include <QFuture>
#include <QImage>
#include <QObject>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

// One opened video: its source, the frame on show with its picture in the chosen view,
// and a second frame that playback reads ahead on a worker thread. Its windows show
// what it holds; the player decides which frame it shows.
class VideoDocument : public QObject
{
    Q_OBJECT

public:
    // The views of a frame, numbered as the main window's Component buttons.
    enum View { Color, Y, U, V, R, G, B };

    // A raw file as `record` describes it, the record's frame count the video's; or a
    // y4m file, counted by its FRAME lines. Throws std::bad_alloc when the frame does not
    // fit the memory at hand with room left for the program to run, and
    // std::invalid_argument for a layout or size that no frame format takes or a y4m
    // header that is refused.
    explicit VideoDocument(const VideoParameters &record, QObject *parent = nullptr);
    // The difference of videos a and b as a video of its own: their frames, read afresh
    // from the same files, over the shorter one's frames, drawn as renderDifference draws
    // them. Throws std::invalid_argument when the two cannot be compared, and as above.
    VideoDocument(const VideoDocument &a, const VideoDocument &b, QObject *parent = nullptr);
    ~VideoDocument() override;

    // Memory that the frame on show takes in a video of `format`: its planes and its
    // picture. Playing takes as much again, for the frame read ahead, where it fits.
    static std::size_t frameBytes(const FrameFormat &format);

    // The path's bytes as the file system takes them; a difference's is its first video's.
    const std::string &path() const { return path_; }
    // The part of the path after its last '/', or the whole path; "A vs B" for the
    // difference of A and B, each named so.
    const std::string &name() const { return name_; }
    std::int32_t scan() const { return scan_; }
    // The rate: speed() frames in speedDivisor() seconds (videoparameters.h).
    std::int32_t speed() const { return speed_; }
    std::int32_t speedDivisor() const { return speedDivisor_; }
    // The video's layout and size with the colour it is drawn in (setColour).
    const FrameFormat &format() const { return format_; }
    std::int64_t frameCount() const;

    // Whether this is the difference of two videos, and then how the frames on show
    // compare.
    bool isDifference() const { return compared_ != nullptr; }
    const FrameComparison &comparison() const { return currentComparison_; }

    // The frame on show, and what reading it gave: Complete also before the first frame
    // and for a video without frames, where nothing is read.
    std::int64_t currentFrame() const { return currentIndex_; }
    LoadResult frameRead() const { return currentRead_; }
    const Frame &frame() const { return *current_; }
    // The picture of the frame on show in the current view; it shares its pixels with
    // the document, which writes them again at the next frame.
    const QImage &picture() const { return currentPicture_.image; }
    // Whether the current view could be drawn at all (a view outside Color .. B cannot).
    bool pictureDrawn() const { return drawn_; }
    // The six values of one pixel of the frame on show, as the readout shows them.
    PixelSample sampleAt(PixelPosition pixel) const;
    // For a difference, the pixel's values in the second video's frame; sampleAt gives
    // the first's.
    PixelSample comparedSampleAt(PixelPosition pixel) const;
    // The cell of the current view that holds the pixel, with the values written over it.
    ValueCell valueCellAt(PixelPosition pixel) const;
    // For a difference: the nearest frame after `from` (direction 1) or before it (-1)
    // where the two videos differ, read afresh; nothing when there is none, and for a
    // video of its own.
    std::optional<std::int64_t> nextDifference(std::int64_t from, int direction) const;

    int view() const { return view_; }
    // Draws the frame on show in `view`, without reading it again.
    void setView(int view);
    std::int32_t gridStep() const { return gridStep_; }
    // Marks a grid every `step` pixels into the luma (none for 0 or less) and reads the
    // frame on show again, since the grid is marked as a frame is read.
    void setGridStep(std::int32_t step);
    // Draws the frame on show again with another matrix and range, without reading it; a
    // frame read ahead in the old colour is drawn again when it is shown. A difference's
    // picture takes no colour.
    void setColour(ColourMatrix matrix, ColourRange range);

    // Playback's state of this video, which the player keeps here.
    bool isPlaying() const { return playing_; }
    void setPlaying(bool playing);
    std::int32_t direction() const { return direction_; }
    void setDirection(std::int32_t direction) { direction_ = direction; }

    // Shows frame `index`, which the caller has bounded to the video: takes it from the
    // read-ahead when that holds it and the file has not changed since, and reads it
    // otherwise, new bytes over the old frame's where the file ends early. Then draws it
    // and announces it.
    void show(std::int64_t index);
    // Starts reading frame `index` (0 or more) into the second frame on a worker thread,
    // drawn in the current view, so that show(index) finds it ready. `upcoming` is the
    // frame after it, which the file system is asked to fetch.
    void readAhead(std::int64_t index, std::int64_t upcoming = -1);
    // Counts the frames of the file (of both files, for a difference) as it is now, and
    // drops what was read ahead, so that the next show reads its frame afresh. A file that
    // is gone keeps its count, and its frames then fail to read.
    void recount();

signals:
    // The frame on show has changed, and with it picture().
    void frameShown(qint64 index);
    // The same frame is drawn in another view.
    void pictureChanged();
    // Frame `index` is read ahead and ready to show.
    void frameReady(qint64 index);
    // Frame `index` could not be read, in whole or in part.
    void readFailed(qint64 index);

private:
    // A picture and the pixels that it shows, which the document owns.
    struct Picture
    {
        SamplePlane pixels;
        QImage image;
        void allocate(const FrameFormat &format);
        PictureRows rows(const FrameFormat &format);
    };

    // The planes of `frame` with `picture` to draw into; false for a view that draws
    // nothing, which leaves the picture as it was.
    bool render(const FrameFormat &colour, Frame &frame, Frame *compared, Picture &picture,
        int view, std::int32_t grid);
    // Reads frame `index` into `frame` and, for a difference, into `compared` too, and
    // compares them; marks the grid into a video's own frame. Gives the worse of the reads.
    LoadResult readPair(std::int64_t index, Frame &frame, Frame *compared,
        FrameComparison &comparison, std::int32_t grid, std::int64_t upcoming = -1) const;
    void readCurrent(std::int64_t index);
    // Waits for the worker, if it reads, so that the second frame is the GUI's again.
    void finishReadAhead();
    // Makes the read-ahead's frame and picture, once; false when they do not fit.
    bool readAheadHolds(std::int64_t index) const;
    void takeReadAhead();
    bool makeReadAheadFrame();

    std::string path_;
    std::string name_;
    std::int32_t scan_;
    std::int32_t speed_;
    std::int32_t speedDivisor_;
    std::unique_ptr<FrameSource> source_;
    // The difference's second video; null for a video of its own.
    std::unique_ptr<FrameSource> compared_;
    // The source's format with the chosen colour. Changed only on the GUI thread while
    // nothing is read ahead; a read ahead takes a copy when it starts.
    FrameFormat format_;

    std::unique_ptr<Frame> current_;
    std::unique_ptr<Frame> currentCompared_;
    FrameComparison currentComparison_;
    Picture currentPicture_;
    std::int64_t currentIndex_ = 0;
    LoadResult currentRead_ = LoadResult::Complete;
    bool drawn_ = false;

    int view_ = Color;
    std::int32_t gridStep_ = 0;
    bool playing_ = false;
    std::int32_t direction_ = 1;

    // The read-ahead's frame and picture: made once, by whichever comes first of the
    // worker that readies them when the video opens and the first read ahead, and never
    // if the memory would not hold them.
    std::unique_ptr<Frame> ahead_;
    std::unique_ptr<Frame> aheadCompared_;
    FrameComparison aheadComparison_;
    Picture aheadPicture_;
    std::once_flag aheadMade_;
    std::atomic<bool> aheadUnavailable_ { false };
    QFuture<void> readying_;
    QFuture<void> reading_;
    std::int64_t aheadIndex_ = -1;
    LoadResult aheadRead_ = LoadResult::Nothing;
    std::int32_t aheadGrid_ = 0;
    int aheadView_ = Color;
    ColourMatrix aheadMatrix_ = ColourMatrix::Bt601;
    ColourRange aheadRange_ = ColourRange::Limited;
    bool aheadDrawn_ = false;
};

#include "videodocument.h"

#include "memoryroom.h"
#include "rawfilesource.h"
#include "viewrenderer.h"

#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

// Frames up to this size (their planes and picture: 8K 4:2:0 at 182 MB) ready their
// second frame when they open.
constexpr std::size_t readiedAtOpenBytes = std::size_t { 256 } << 20;

FrameFormat formatOf(const VideoParameters &record)
{
    const std::optional<FrameFormat> format
        = FrameFormat::make(record.format, record.width, record.height);
    if (!format)
        throw std::invalid_argument("no frame format takes this layout and size");
    return *format;
}

// Refuses what leaves the program too little room to run: a frame that fits only just
// would freeze it later, when a thread cannot start.
void keepRunningRoom()
{
    if (!addressSpaceLeft(runningRoomBytes))
        throw std::bad_alloc();
}

} // namespace

void VideoDocument::Picture::allocate(const FrameFormat &format)
{
    pixels.resize(format.lumaSamples() * sizeof(std::uint32_t));
    mapInNow(pixels);
    image = QImage(pixels.data(), format.width(), format.height(),
        format.width() * int(sizeof(std::uint32_t)), QImage::Format_RGB32);
}

// Written through the pixels, never through QImage::bits(), which would copy pixels that
// a pixmap still shares.
PictureRows VideoDocument::Picture::rows(const FrameFormat &format)
{
    return { pixels.data(),
        std::ptrdiff_t(format.width()) * std::ptrdiff_t(sizeof(std::uint32_t)) };
}

VideoDocument::VideoDocument(const VideoParameters &record, QObject *parent)
    : QObject(parent)
    , path_(record.path)
    , scan_(record.scan)
    , speed_(record.speed)
    , source_(std::make_unique<RawFileSource>(record.path, formatOf(record), record.frameCount))
{
    current_ = std::make_unique<Frame>(format());
    currentPicture_.allocate(format());
    // A new picture reads as zero: black, the colour view of the black frame.
    drawn_ = true;
    keepRunningRoom();
    // Memory's first use is slow, and on some machines far slower than the frame's own
    // work: readied now, beside the first frame, the second frame's memory does not hold
    // up the first tick of Play. A frame too large to play at full rate keeps its memory
    // to itself until it first plays.
    if (frameBytes(format()) <= readiedAtOpenBytes)
        readying_
            = QtConcurrent::run(QThreadPool::globalInstance(), [this] { makeReadAheadFrame(); });
}

VideoDocument::~VideoDocument()
{
    readying_.waitForFinished();
    finishReadAhead();
}

std::size_t VideoDocument::frameBytes(const FrameFormat &format)
{
    const std::size_t chunk = readsThroughChunk(format) ? readChunkBytes : 0;
    return format.lumaBytes() + 2 * format.chromaBytes()
        + format.lumaSamples() * sizeof(std::uint32_t) + chunk;
}

std::string VideoDocument::name() const
{
    const std::size_t slash = path_.rfind('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

PixelSample VideoDocument::sampleAt(PixelPosition pixel) const
{
    return samplePixel(const_cast<Frame &>(*current_).planes(), format(), pixel);
}

void VideoDocument::setView(int view)
{
    view_ = view;
    drawn_ = render(*current_, currentPicture_, view_);
    emit pictureChanged();
}

void VideoDocument::setGridStep(std::int32_t step)
{
    gridStep_ = step;
    show(currentIndex_);
}

void VideoDocument::setPlaying(bool playing)
{
    playing_ = playing;
}

void VideoDocument::show(std::int64_t index)
{
    finishReadAhead();
    currentIndex_ = index;
    // A file shorter than one frame has no frame 0 to read.
    if (frameCount() <= 0) {
        currentRead_ = LoadResult::Complete;
        drawn_ = render(*current_, currentPicture_, view_);
    } else if (readAheadHolds(index)) {
        takeReadAhead();
    } else {
        readCurrent(index);
    }
    emit frameShown(index);
    if (currentRead_ != LoadResult::Complete)
        emit readFailed(index);
}

void VideoDocument::readCurrent(std::int64_t index)
{
    currentRead_ = source_->read(index, *current_);
    markGrid(format(), current_->planes().y, gridStep_);
    drawn_ = render(*current_, currentPicture_, view_);
}

bool VideoDocument::render(Frame &frame, Picture &picture, int view)
{
    FramePlanes planes = frame.planes();
    planes.picture = picture.rows(format());
    return renderView(view, format(), planes);
}

void VideoDocument::readAhead(std::int64_t index, std::int64_t upcoming)
{
    finishReadAhead();
    if (index < 0 || index >= frameCount() || aheadUnavailable_)
        return;
    aheadIndex_ = index;
    aheadGrid_ = gridStep_;
    aheadView_ = view_;
    // The worker has the second frame and its picture to itself until finishReadAhead,
    // and makes them at the first read ahead, so that Play does not wait while the
    // memory of every video's second frame is mapped.
    reading_ = QtConcurrent::run(QThreadPool::globalInstance(), [this, index, upcoming] {
        if (!makeReadAheadFrame())
            return;
        source_->read(index, *ahead_, upcoming);
        markGrid(format(), ahead_->planes().y, aheadGrid_);
        aheadDrawn_ = render(*ahead_, aheadPicture_, aheadView_);
        QMetaObject::invokeMethod(
            this, [this, index] { emit frameReady(index); }, Qt::QueuedConnection);
    });
}

bool VideoDocument::makeReadAheadFrame()
{
    std::call_once(aheadMade_, [this] {
        try {
            auto frame = std::make_unique<Frame>(format());
            Picture picture;
            picture.allocate(format());
            // Written once here, so that the first frame read ahead finds it in use.
            std::fill(picture.pixels.begin(), picture.pixels.end(), std::uint8_t { 0 });
            keepRunningRoom();
            ahead_ = std::move(frame);
            aheadPicture_ = std::move(picture);
        } catch (const std::bad_alloc &) {
            // Without room for a second frame the video plays as it is read.
            aheadUnavailable_ = true;
        }
    });
    return !aheadUnavailable_;
}

void VideoDocument::finishReadAhead()
{
    reading_.waitForFinished();
}

bool VideoDocument::readAheadHolds(std::int64_t index) const
{
    // What was read ahead is shown only while it is what a read now would give: the
    // whole frame, with the grid in force, from the file unchanged since. The frame is
    // looked at only after a read ahead, whose end hands it to this thread.
    return aheadIndex_ == index && ahead_ && aheadGrid_ == gridStep_
        && ahead_->result() == LoadResult::Complete && source_->stillHolds(*ahead_);
}

void VideoDocument::takeReadAhead()
{
    current_->swap(*ahead_);
    aheadIndex_ = -1;
    currentRead_ = LoadResult::Complete;
    if (aheadDrawn_ && aheadView_ == view_) {
        std::swap(currentPicture_, aheadPicture_);
        drawn_ = true;
    } else {
        drawn_ = render(*current_, currentPicture_, view_);
    }
}

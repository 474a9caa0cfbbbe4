#include "videodocument.h"

#include "differencerenderer.h"
#include "memoryroom.h"
#include "openframesource.h"
#include "viewrenderer.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QtConcurrent>

#include <algorithm>
#include <cstdio>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

// Frames up to this size (their planes and picture: 8K 4:2:0 at 182 MB) ready their
// second frame when they open.
constexpr std::size_t readiedAtOpenBytes = std::size_t { 256 } << 20;

// A note on a file's frames, such as where a y4m file's count stopped, for the user.
void noteOnStandardError(const std::string &note)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), note.c_str());
}

std::string fileNameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// What a pair of reads gave, as one: the worse of the two.
LoadResult worseRead(LoadResult a, LoadResult b)
{
    if (a == LoadResult::Nothing || b == LoadResult::Nothing)
        return LoadResult::Nothing;
    return a == LoadResult::Partial || b == LoadResult::Partial ? LoadResult::Partial
                                                                : LoadResult::Complete;
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
    , name_(fileNameOf(record.path))
    , scan_(record.scan)
    , speed_(record.speed)
    , speedDivisor_(record.speedDivisor)
    , source_(openFrameSource(record, noteOnStandardError))
    , format_(source_->format().withColour(ColourMatrix(record.matrix), ColourRange(record.range)))
{
    current_ = std::make_unique<Frame>(source_->format());
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

VideoDocument::VideoDocument(const VideoDocument &a, const VideoDocument &b, QObject *parent)
    : QObject(parent)
    , path_(a.path())
    , name_(a.name() + " vs " + b.name())
    , scan_(a.scan())
    , speed_(a.speed())
    , speedDivisor_(a.speedDivisor())
    , format_(a.format())
{
    const std::string why = whyNotComparable(a.format(), b.format());
    if (!why.empty())
        throw std::invalid_argument(why);
    source_ = a.source_->copy();
    compared_ = b.source_->copy();
    current_ = std::make_unique<Frame>(source_->format());
    currentCompared_ = std::make_unique<Frame>(compared_->format());
    currentPicture_.allocate(format());
    currentComparison_ = compareFrames(*current_, *currentCompared_);
    drawn_ = true;
    keepRunningRoom();
    // Two frames to a slot: ready at open under half the size of one video's.
    if (frameBytes(format()) <= readiedAtOpenBytes / 2)
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

std::int64_t VideoDocument::frameCount() const
{
    const std::int64_t count = source_->frameCount();
    return compared_ ? std::min(count, compared_->frameCount()) : count;
}

PixelSample VideoDocument::sampleAt(PixelPosition pixel) const
{
    return samplePixel(const_cast<Frame &>(*current_).planes(), format(), pixel);
}

PixelSample VideoDocument::comparedSampleAt(PixelPosition pixel) const
{
    if (!currentCompared_)
        return {};
    return samplePixel(
        const_cast<Frame &>(*currentCompared_).planes(), currentCompared_->format(), pixel);
}

ValueCell VideoDocument::valueCellAt(PixelPosition pixel) const
{
    return ::valueCellAt(const_cast<Frame &>(*current_).planes(), format(), view_, pixel);
}

std::optional<std::int64_t> VideoDocument::nextDifference(std::int64_t from, int direction) const
{
    if (!compared_ || direction == 0)
        return std::nullopt;
    const std::int64_t step = direction > 0 ? 1 : -1;
    const std::int64_t count = frameCount();
    // Frames of their own, so that the frame on show and the one read ahead stay as they are.
    Frame frame(source_->format());
    Frame compared(compared_->format());
    for (std::int64_t index = std::clamp<std::int64_t>(from + step, -1, count);
         index >= 0 && index < count; index += step) {
        FrameComparison comparison;
        readPair(index, frame, &compared, comparison, 0, index + step);
        if (!comparison.identical())
            return index;
    }
    return std::nullopt;
}

void VideoDocument::setView(int view)
{
    view_ = view;
    drawn_ = render(format_, *current_, currentCompared_.get(), currentPicture_, view_, gridStep_);
    emit pictureChanged();
}

void VideoDocument::setGridStep(std::int32_t step)
{
    gridStep_ = step;
    show(currentIndex_);
}

void VideoDocument::setColour(ColourMatrix matrix, ColourRange range)
{
    finishReadAhead();
    format_ = format_.withColour(matrix, range);
    setView(view_);
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
        drawn_
            = render(format_, *current_, currentCompared_.get(), currentPicture_, view_, gridStep_);
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
    currentRead_
        = readPair(index, *current_, currentCompared_.get(), currentComparison_, gridStep_);
    drawn_ = render(format_, *current_, currentCompared_.get(), currentPicture_, view_, gridStep_);
}

LoadResult VideoDocument::readPair(std::int64_t index, Frame &frame, Frame *compared,
    FrameComparison &comparison, std::int32_t grid, std::int64_t upcoming) const
{
    const LoadResult read = source_->read(index, frame, upcoming);
    if (!compared_) {
        markGrid(source_->format(), frame.planes().y, grid);
        return read;
    }
    // The samples are compared as read: a difference's grid is drawn over its picture.
    const LoadResult comparedRead = compared_->read(index, *compared, upcoming);
    comparison = compareFrames(frame, *compared);
    return worseRead(read, comparedRead);
}

bool VideoDocument::render(const FrameFormat &colour, Frame &frame, Frame *compared,
    Picture &picture, int view, std::int32_t grid)
{
    const PictureRows rows = picture.rows(colour);
    if (compared) {
        if (!renderDifference(view, frame, *compared, rows))
            return false;
        markPictureGrid(colour, rows, grid);
        return true;
    }
    FramePlanes planes = frame.planes();
    planes.picture = rows;
    return renderView(view, colour, planes);
}

void VideoDocument::readAhead(std::int64_t index, std::int64_t upcoming)
{
    finishReadAhead();
    if (index < 0 || index >= frameCount() || aheadUnavailable_)
        return;
    aheadIndex_ = index;
    aheadGrid_ = gridStep_;
    aheadView_ = view_;
    aheadMatrix_ = format_.matrix();
    aheadRange_ = format_.range();
    const FrameFormat colour = format_;
    // The worker has the second frame and its picture to itself until finishReadAhead,
    // and makes them at the first read ahead, so that Play does not wait while the
    // memory of every video's second frame is mapped.
    reading_ = QtConcurrent::run(QThreadPool::globalInstance(), [this, index, upcoming, colour] {
        if (!makeReadAheadFrame())
            return;
        aheadRead_ = readPair(
            index, *ahead_, aheadCompared_.get(), aheadComparison_, aheadGrid_, upcoming);
        aheadDrawn_
            = render(colour, *ahead_, aheadCompared_.get(), aheadPicture_, aheadView_, aheadGrid_);
        QMetaObject::invokeMethod(
            this, [this, index] { emit frameReady(index); }, Qt::QueuedConnection);
    });
}

void VideoDocument::recount()
{
    // The worker reads through the source; it is done before the count changes under it.
    finishReadAhead();
    aheadIndex_ = -1;
    source_->recount();
    if (compared_)
        compared_->recount();
}

bool VideoDocument::makeReadAheadFrame()
{
    std::call_once(aheadMade_, [this] {
        try {
            // The source's format: format_ may change on the GUI thread meanwhile.
            auto frame = std::make_unique<Frame>(source_->format());
            auto compared = compared_ ? std::make_unique<Frame>(compared_->format()) : nullptr;
            Picture picture;
            picture.allocate(source_->format());
            // Written once here, so that the first frame read ahead finds it in use.
            std::fill(picture.pixels.begin(), picture.pixels.end(), std::uint8_t { 0 });
            keepRunningRoom();
            ahead_ = std::move(frame);
            aheadCompared_ = std::move(compared);
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
        && aheadRead_ == LoadResult::Complete && source_->stillHolds(*ahead_)
        && (!compared_ || compared_->stillHolds(*aheadCompared_));
}

void VideoDocument::takeReadAhead()
{
    current_->swap(*ahead_);
    if (compared_) {
        currentCompared_->swap(*aheadCompared_);
        currentComparison_ = aheadComparison_;
    }
    aheadIndex_ = -1;
    currentRead_ = LoadResult::Complete;
    if (aheadDrawn_ && aheadView_ == view_ && aheadMatrix_ == format_.matrix()
        && aheadRange_ == format_.range()) {
        std::swap(currentPicture_, aheadPicture_);
        drawn_ = true;
    } else {
        drawn_
            = render(format_, *current_, currentCompared_.get(), currentPicture_, view_, gridStep_);
    }
}

#include "framebuffers.h"

#include "videoparameters.h"

#include <algorithm>

FrameBuffers::FrameBuffers(std::int32_t format, std::int32_t width, std::int32_t height)
    : width(width)
    , height(height)
    , y(lumaPlaneBytes(format, width, height))
    , u(chromaPlaneBytes(format, width, height))
    , v(u.size())
    , r(lumaPlaneSize(width, height))
    , g(r.size())
    , b(r.size())
{
}

FramePlanes FrameBuffers::planes()
{
    return { y.data(), u.data(), v.data(), r.data(), g.data(), b.data() };
}

void FrameBuffers::fill(std::uint8_t value)
{
    for (SamplePlane *plane : { &y, &u, &v, &r, &g, &b })
        std::fill(plane->begin(), plane->end(), value);
}

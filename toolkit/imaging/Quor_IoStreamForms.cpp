// The token forms of vectors and colours on Quor_IoStream. They live with imaging because they
// need the colour types; they use nothing of the stream but its number primitives.

#include "toolkit/core/Quor_IoStream.h"
#include "toolkit/imaging/Quor_ColorVector.h"
#include "toolkit/math/Quor_Round.h"
#include "toolkit/math/Quor_Vector2.h"
#include "toolkit/math/Quor_Vector3.h"

namespace {

// Reads count floats; false, with the values only partly read, when any is missing.
bool ReadFloats(Quor_IoStream* stream, float* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (!stream->ReadFloat(&values[i]))
            return false;
    return true;
}

// Writes the values separated by single blanks.
void WriteFloats(Quor_IoStream* stream, const float* values, int count)
{
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            stream->Space();
        stream->WriteFloat(values[i]);
    }
}

}  // namespace

// Every read fills a local copy first, so a stream that ends part way through leaves the
// destination as it was.

bool Quor_IoStream::Read(Quor_Vector2* v)
{
    float values[2];
    if (!v || !ReadFloats(this, values, 2))
        return false;
    v->Set(values[0], values[1]);
    return true;
}

bool Quor_IoStream::Read(Quor_Vector3* v)
{
    float values[3];
    if (!v || !ReadFloats(this, values, 3))
        return false;
    v->Set(values[0], values[1], values[2]);
    return true;
}

bool Quor_IoStream::Read(rgb_color* c)
{
    int values[4];
    if (!c)
        return false;
    for (int& value : values)
        if (!ReadInt(&value))
            return false;
    *c = rgb_color{uint8_t(Quor_Clamp(values[0], 0, 255)), uint8_t(Quor_Clamp(values[1], 0, 255)),
                   uint8_t(Quor_Clamp(values[2], 0, 255)), uint8_t(Quor_Clamp(values[3], 0, 255))};
    return true;
}

bool Quor_IoStream::Read(Quor_ColorVector* c)
{
    float values[4];
    if (!c || !ReadFloats(this, values, 4))
        return false;
    c->Set(values[0], values[1], values[2], values[3]);
    return true;
}

bool Quor_IoStream::ReadVector2(Quor_Vector2* v)
{
    return Read(v);
}

bool Quor_IoStream::ReadVector3(Quor_Vector3* v)
{
    return Read(v);
}

bool Quor_IoStream::ReadColor(rgb_color* c)
{
    return Read(c);
}

bool Quor_IoStream::ReadColor(Quor_ColorVector* c)
{
    return Read(c);
}

// Writes go through the primitives, which drop them (and note the failure) on a read-only
// stream.

void Quor_IoStream::Write(const rgb_color& c)
{
    WriteInt(c.red);
    Space();
    WriteInt(c.green);
    Space();
    WriteInt(c.blue);
    Space();
    WriteInt(c.alpha);
}

void Quor_IoStream::Write(const Quor_ColorVector& c)
{
    const float values[4] = {c.r, c.g, c.b, c.a};
    WriteFloats(this, values, 4);
}

void Quor_IoStream::Write(const Quor_Vector3& v)
{
    const float values[3] = {v.x, v.y, v.z};
    WriteFloats(this, values, 3);
}

void Quor_IoStream::Write(const Quor_Vector2& v)
{
    const float values[2] = {v.x, v.y};
    WriteFloats(this, values, 2);
}

void Quor_IoStream::WriteColor(const rgb_color& c)
{
    Write(c);
}

void Quor_IoStream::WriteColor(const Quor_ColorVector& c)
{
    Write(c);
}

void Quor_IoStream::WriteVector3(const Quor_Vector3& v)
{
    Write(v);
}

void Quor_IoStream::WriteVector2(const Quor_Vector2& v)
{
    Write(v);
}

// Where one photo lies on the panorama sphere, worked out in double precision: the camera model
// and the photo's roll, pitch and yaw, both ways between photo pixels and viewing directions.
#pragma once

// A direction (or point) in panorama space: x to the right, y up, the view at yaw 0 along -z.
struct SphereVector {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

class PhotoFrame {
public:
    // A width x height photo taken with a 35 mm equivalent focal length (millimetres), centred on
    // yaw and pitch and turned by roll about its viewing axis (radians).
    PhotoFrame(int width, int height, double focalLength, double yaw, double pitch, double roll);

    // The distance of the photo from the eye, in its own pixels: the shorter side spans the 24 mm
    // height of a 35 mm frame, so d = (min(w, h) / 2) / tan(atan2(12, F)).
    static double CameraDistance(int width, int height, double focalLength);

    // The direction of yaw and pitch: (0, 0, -1) tipped up by the pitch, then turned left by the yaw.
    static SphereVector FromAngles(double yaw, double pitch);
    // Yaw in -pi..pi and pitch in -pi/2..pi/2 of any non-zero vector.
    static void ToAngles(const SphereVector& v, double* yaw, double* pitch);

    int Width() const { return fWidth; }
    int Height() const { return fHeight; }
    double Distance() const { return fDistance; }

    // The direction that photo position (tx, ty) looks along (pixel centres at whole numbers,
    // (0, 0) the top-left pixel). In the photo's own frame the point is
    // (tx - w/2, -(ty - h/2), -d); it is turned by the roll about z, then by the pitch about x,
    // then by the yaw about y, each right-handed. Not normalised.
    SphereVector Direction(double tx, double ty) const;

    // Where direction v meets the photo's plane: false for a direction behind the eye or parallel
    // to the plane; otherwise the photo position, which may lie outside the photo.
    bool Locate(const SphereVector& v, double* tx, double* ty) const;
    // Locate, and the position lies on the photo: 0 <= tx < w and 0 <= ty < h.
    bool Covers(const SphereVector& v, double* tx, double* ty) const;

private:
    int fWidth;
    int fHeight;
    double fDistance;
    // Columns are the photo's own x, y and z axes in panorama space (a pure rotation).
    double fAxis[3][3];
};

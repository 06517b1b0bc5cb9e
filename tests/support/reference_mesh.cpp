#include "tests/support/reference_mesh.h"

#include <GL/gl.h>

#include <cmath>

namespace test_support {

Reference_grid literal_shape(const Nsupershape::Tsupershape& s)
{
    // Columns take the first set, rows the second.
    const auto radius_function = [](float t, float a, float b, float m, float n1, float n2, float n3) {
        const double u = (double(t) * double(m)) / 4.0;
        const float t1 = float(std::pow(std::fabs(std::cos(u) / double(a)), double(n2)));
        const float t2 = float(std::pow(std::fabs(std::sin(u) / double(b)), double(n3)));
        return float(std::pow(double(t2) + double(t1), -1.0 / double(n1)));
    };
    constexpr float pi_f = 3.14159265358979323846f;
    // A ring's rows go once around its tube, a ball's from pole to pole.
    const bool ring = s.torus > 0;
    const float d_theta = float(double(2.0f * pi_f) / double(s.bands));
    const float d_phi = float(double(ring ? 2.0f * pi_f : pi_f) / double(s.slices));
    Reference_grid grid;
    float phi = -pi_f / 2.0f;
    for (int i = 0; i < s.slices; ++i) {
        phi = phi + d_phi;
        const float r1 = radius_function(phi, s.a2, s.b2, s.m2, s.n1_2, s.n2_2, s.n3_2);
        // The row's turn: the twist times its share of the way up from the bottom pole, in radians.
        const double turn = double(s.twist) * ((double(phi) + M_PI / 2) / M_PI) * (M_PI / 180);
        float theta = -pi_f;
        for (int j = 0; j <= s.bands; ++j) {
            theta = theta + d_theta;
            const float r2 = radius_function(theta, s.a, s.b, s.m, s.n1, s.n2, s.n3);
            float x = float(std::cos(double(theta)) * r2 * r1 * std::cos(double(phi)) * s.radius);
            float z = float(std::sin(double(theta)) * r2 * r1 * std::cos(double(phi)) * s.radius);
            if (ring) {
                const double around = double(s.torus) + double(r1) * std::cos(double(phi));
                x = float(std::cos(double(theta)) * r2 * around * s.radius);
                z = float(std::sin(double(theta)) * r2 * around * s.radius);
            } else if (s.twist != 0) {
                const double x0 = x, z0 = z;
                x = float(x0 * std::cos(turn) + z0 * std::sin(turn));
                z = float(-x0 * std::sin(turn) + z0 * std::cos(turn));
            }
            const float y = float(-double(r1) * std::sin(double(phi)) * s.radius);
            grid.positions.push_back({x, y, z});
            const float inv = float(1.0 / std::sqrt(double(x) * x + double(y) * y + double(z) * z));
            const bool usable = inv != 0.0f && !std::isnan(inv);
            grid.normals.push_back({usable ? x * inv : 0.0f, usable ? y * inv : 0.0f, usable ? z * inv : 1.0f});
        }
    }
    return grid;
}

void emit_strip_by_corner(const Nsupershape::Tsupershape& shape, bool with_colors)
{
    glBegin(GL_LINE_STRIP);
    for (int t = 0; t <= shape.triangle_count - 6; ++t)
        for (int corner : {shape.triangles[t].i0, shape.triangles[t].i1, shape.triangles[t].i2}) {
            if (with_colors)
                glColor4fv(&shape.colors[corner].r);
            glVertex3fv(&shape.vertices[corner].x);
        }
    glEnd();
}

} // namespace test_support

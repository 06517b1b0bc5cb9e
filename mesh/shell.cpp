// The shell's inner surface is a level set: OpenVDB's signed distance grid of
// the closed mesh, meshed again at the depth of the wall. Offsetting along
// the normals or the radius would turn the valleys between lobes inside out.
#include "mesh/shell.h"

#include "mesh/statistics.h"
#include "mesh/triangle_distance.h"

#include <openvdb/openvdb.h>
#include <openvdb/tools/Interpolation.h>
#include <openvdb/tools/MeshToVolume.h>
#include <openvdb/tools/VolumeToMesh.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>
#include <string>

namespace mesh {
namespace {

using openvdb::Vec3d;

// A cavity nearer the outer surface than this many walls is dropped.
constexpr double least_wall = 0.95;
// Spacings of grid beyond what the level needs, each side.
constexpr float spare_band = 2;
// A place is left solid where it is estimated thinner than this many walls;
// a little under two, for the grid's own error on flat walls.
constexpr double solid_below_walls = 1.8;

// Reports OpenVDB's percentages of one stage as a share of the whole.
class Stage_progress : public openvdb::util::NullInterrupter {
public:
    Stage_progress(const Progress& progress, double from, double to) : progress_(progress), from_(from), to_(to) {}
    bool wasInterrupted(int percent = -1) override
    {
        if (progress_ && percent >= 0)
            progress_(from_ + (to_ - from_) * percent / 100.0);
        return false;
    }

private:
    const Progress& progress_;
    double from_, to_;
};

Vec3d vec(const Tvector3& p)
{
    return {p.x, p.y, p.z};
}

Point3 point(const Vec3d& p)
{
    return {p.x(), p.y(), p.z()};
}

Point3 point(const Tvector3& p)
{
    return {p.x, p.y, p.z};
}

// Union-find over vertices.
std::int32_t root(std::vector<std::int32_t>& parent, std::int32_t k)
{
    while (parent[std::size_t(k)] != k)
        k = parent[std::size_t(k)] = parent[std::size_t(parent[std::size_t(k)])];
    return k;
}

// Outer vertices whose estimated thickness is under solid_below_walls walls,
// counted as places: runs of such vertices joined by edges. Going `wall`
// in from a vertex along its normal lands on the middle of a wall 2 x `wall`
// thick; in a thinner one the distance found there says by how much.
std::size_t count_solid_places(const Mesh_view& outer, const openvdb::FloatGrid& distance, double wall)
{
    std::vector<Tvector3> normals(outer.vertex_count);
    Nsupershape::vertex_normals(outer, normals.data());
    const openvdb::tools::GridSampler<openvdb::FloatGrid, openvdb::tools::BoxSampler> sampler(distance);
    std::vector<char> thin(outer.vertex_count, 0);
    for (std::size_t k = 0; k < outer.vertex_count; ++k) {
        const Vec3d inward = vec(outer.positions[k]) - vec(normals[k]) * wall;
        thin[k] = wall - sampler.wsSample(inward) < solid_below_walls * wall;
    }
    std::vector<std::int32_t> parent(outer.vertex_count);
    std::iota(parent.begin(), parent.end(), 0);
    for (std::size_t t = 0; t < outer.triangle_count; ++t) {
        const Ttriangle& triangle = outer.triangles[t];
        const std::int32_t corners[3] = {triangle.i0, triangle.i1, triangle.i2};
        for (int e = 0; e < 3; ++e) {
            const std::int32_t a = corners[e], b = corners[(e + 1) % 3];
            if (thin[std::size_t(a)] && thin[std::size_t(b)])
                parent[std::size_t(root(parent, a))] = root(parent, b);
        }
    }
    std::size_t places = 0;
    for (std::size_t k = 0; k < outer.vertex_count; ++k)
        places += thin[k] && root(parent, std::int32_t(k)) == std::int32_t(k);
    return places;
}

} // namespace

std::string millimetres(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f mm", value);
    return text;
}

Status hollow(Triangle_mesh& mesh, double wall_millimetres, double millimetres_per_unit, Shell_report& report,
              const Progress& progress)
{
    report = {};
    const Box box = bounding_box(mesh.view());
    const double smallest =
        std::min({double(box.max.x) - box.min.x, double(box.max.y) - box.min.y, double(box.max.z) - box.min.z});
    const double largest =
        std::max({double(box.max.x) - box.min.x, double(box.max.y) - box.min.y, double(box.max.z) - box.min.z});
    const double wall = wall_millimetres / millimetres_per_unit;
    if (!(wall > 0))
        return runtime::refused("a shell needs a wall above 0 mm");
    if (!(2 * wall < smallest))
        return runtime::refused("a " + millimetres(wall_millimetres) + " shell needs every side over " +
                                millimetres(2 * wall_millimetres) + "; the smallest is " +
                                millimetres(smallest * millimetres_per_unit));
    if (wall < shell_least_wall_share * largest)
        return runtime::refused("a " + millimetres(wall_millimetres) + " shell is too thin to grid for a shape " +
                                millimetres(largest * millimetres_per_unit) + " across; the least is " +
                                millimetres(shell_least_wall_share * largest * millimetres_per_unit));
    openvdb::initialize();
    const double spacing = wall / shell_cells_per_wall;
    const double level = -shell_level_walls * wall;
    const openvdb::math::Transform::Ptr transform = openvdb::math::Transform::createLinearTransform(spacing);

    std::vector<openvdb::Vec3s> points(mesh.positions.size());
    for (std::size_t k = 0; k < points.size(); ++k)
        points[k] = transform->worldToIndex(vec(mesh.positions[k]));
    std::vector<openvdb::Vec3I> faces(mesh.triangles.size());
    for (std::size_t t = 0; t < faces.size(); ++t)
        faces[t] = {openvdb::Index32(mesh.triangles[t].i0), openvdb::Index32(mesh.triangles[t].i1),
                    openvdb::Index32(mesh.triangles[t].i2)};
    const openvdb::tools::QuadAndTriangleDataAdapter<openvdb::Vec3s, openvdb::Vec3I> adapter(points, faces);
    openvdb::Int32Grid nearest_triangle(static_cast<openvdb::Int32>(openvdb::util::INVALID_IDX));
    Stage_progress to_volume(progress, 0, 0.6);
    const openvdb::FloatGrid::Ptr distance = openvdb::tools::meshToVolume<openvdb::FloatGrid>(
        to_volume, adapter, *transform, spare_band, float(-level / spacing) + spare_band, 0, &nearest_triangle);
    points.clear();
    faces.clear();

    std::vector<openvdb::Vec3I> triangles;
    std::vector<openvdb::Vec4I> quads;
    openvdb::tools::volumeToMesh(*distance, points, triangles, quads, level, 0, true);
    if (progress)
        progress(0.8);
    if (quads.empty() && triangles.empty())
        return runtime::refused("no room inside for a " + millimetres(wall_millimetres) + " shell");

    // The inner surface faces inward: its triangles turn clockwise seen from
    // the cavity, which the signed volume of either winding tells.
    const auto first = static_cast<std::int32_t>(mesh.positions.size());
    const std::size_t outer_triangles = mesh.triangles.size();
    Triangle_mesh inner;
    inner.positions.reserve(points.size());
    for (const openvdb::Vec3s& p : points)
        inner.positions.push_back({p.x(), p.y(), p.z()});
    inner.triangles.reserve(triangles.size() + 2 * quads.size());
    const auto add = [&](openvdb::Index32 a, openvdb::Index32 b, openvdb::Index32 c) {
        inner.triangles.push_back({std::int32_t(a), std::int32_t(b), std::int32_t(c)});
    };
    for (const openvdb::Vec3I& t : triangles)
        add(t[0], t[1], t[2]);
    // Each quad split along its shorter diagonal.
    for (const openvdb::Vec4I& q : quads) {
        if ((points[q[0]] - points[q[2]]).lengthSqr() <= (points[q[1]] - points[q[3]]).lengthSqr()) {
            add(q[0], q[1], q[2]);
            add(q[0], q[2], q[3]);
        } else {
            add(q[0], q[1], q[3]);
            add(q[1], q[2], q[3]);
        }
    }

    // Measured on the way: the distance from each inner vertex to the outer
    // triangles nearest the grid points around it, and from the level.
    const openvdb::tools::GridSampler<openvdb::FloatGrid, openvdb::tools::BoxSampler> sampler(*distance);
    const openvdb::Int32Grid::ConstAccessor nearest = nearest_triangle.getConstAccessor();
    // The outer point nearest `p` among the triangles nearest the grid
    // points around it.
    const auto nearest_outer = [&](const Vec3d& p) {
        Vec3d best = p + Vec3d(std::numeric_limits<double>::infinity());
        const openvdb::Coord corner = transform->worldToIndexCellCentered(p);
        for (int dx = 0; dx < 2; ++dx)
            for (int dy = 0; dy < 2; ++dy)
                for (int dz = 0; dz < 2; ++dz) {
                    const openvdb::Int32 index = nearest.getValue(corner.offsetBy(dx, dy, dz));
                    if (index == openvdb::Int32(openvdb::util::INVALID_IDX))
                        continue;
                    const Ttriangle& t = mesh.triangles[std::size_t(index)];
                    const Point3 nearest_point = nearest_on_triangle(point(p), point(mesh.positions[std::size_t(t.i0)]),
                                                                     point(mesh.positions[std::size_t(t.i1)]),
                                                                     point(mesh.positions[std::size_t(t.i2)]));
                    const Vec3d q(nearest_point.x, nearest_point.y, nearest_point.z);
                    if ((q - p).lengthSqr() < (best - p).lengthSqr())
                        best = q;
                }
        return best;
    };
    // A vertex the meshing left nearer than the wall, at a crease of the
    // level, is moved straight away from its nearest outer point to the wall.
    std::vector<double> wall_at(inner.positions.size());
    for (std::size_t k = 0; k < inner.positions.size(); ++k) {
        Vec3d p = vec(inner.positions[k]);
        report.deviation = std::max(report.deviation, std::fabs(sampler.wsSample(p) - level));
        const Vec3d q = nearest_outer(p);
        const double d = (p - q).length();
        if (d < wall && d > 0) {
            p = q + (p - q) * (wall / d);
            inner.positions[k] = {float(p.x()), float(p.y()), float(p.z())};
        }
        wall_at[k] = (vec(inner.positions[k]) - nearest_outer(vec(inner.positions[k]))).length();
    }

    // Where the outer surface passes through itself the grid's signs can
    // disagree, and a cavity may come out too near it still: such a cavity
    // is dropped, leaving solid there. Each kept one is turned to face inward
    // on its own.
    std::vector<std::int32_t> parent(inner.positions.size());
    std::iota(parent.begin(), parent.end(), 0);
    for (const Ttriangle& t : inner.triangles) {
        parent[std::size_t(root(parent, t.i0))] = root(parent, t.i1);
        parent[std::size_t(root(parent, t.i1))] = root(parent, t.i2);
    }
    std::vector<double> thinnest(inner.positions.size(), std::numeric_limits<double>::infinity());
    for (std::size_t k = 0; k < inner.positions.size(); ++k) {
        double& least = thinnest[std::size_t(root(parent, std::int32_t(k)))];
        least = std::min(least, wall_at[k]);
    }
    std::vector<double> volume(inner.positions.size(), 0);
    for (const Ttriangle& t : inner.triangles) {
        const Tvector3 &a = inner.positions[std::size_t(t.i0)], &b = inner.positions[std::size_t(t.i1)],
                       &c = inner.positions[std::size_t(t.i2)];
        const Nsupershape::Vector3<double> n = Nsupershape::area_normal(a, b, c);
        volume[std::size_t(root(parent, t.i0))] += n.x * a.x + n.y * a.y + n.z * a.z;
    }
    report.thinnest_wall = std::numeric_limits<double>::infinity();
    std::vector<std::int32_t> kept_as(inner.positions.size(), -1);
    for (std::size_t k = 0; k < inner.positions.size(); ++k) {
        const auto r = std::size_t(root(parent, std::int32_t(k)));
        if (r == k && !(thinnest[k] >= least_wall * wall))
            ++report.solid_places;
        if (thinnest[r] >= least_wall * wall) {
            kept_as[k] = std::int32_t(mesh.positions.size());
            mesh.positions.push_back(inner.positions[k]);
            report.thinnest_wall = std::min(report.thinnest_wall, wall_at[k]);
            ++report.inner_vertex_count;
        }
    }
    if (report.inner_vertex_count == 0) {
        mesh.positions.resize(std::size_t(first));
        report = {};
        return runtime::refused("no room inside for a " + millimetres(wall_millimetres) + " shell");
    }
    for (const Ttriangle& t : inner.triangles) {
        if (kept_as[std::size_t(t.i0)] < 0)
            continue;
        const bool reverse = volume[std::size_t(root(parent, t.i0))] > 0;
        const std::int32_t a = kept_as[std::size_t(t.i0)], b = kept_as[std::size_t(t.i1)],
                           c = kept_as[std::size_t(t.i2)];
        mesh.triangles.push_back(reverse ? Ttriangle{a, c, b} : Ttriangle{a, b, c});
        ++report.inner_triangle_count;
    }
    report.thinnest_wall *= millimetres_per_unit;
    report.deviation *= millimetres_per_unit;
    const Mesh_view outer{mesh.positions.data(), std::size_t(first), mesh.triangles.data(), outer_triangles};
    report.solid_places += count_solid_places(outer, *distance, wall);
    if (progress)
        progress(1);
    return {};
}

} // namespace mesh

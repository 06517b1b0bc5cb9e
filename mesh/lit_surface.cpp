// The lit surface: smooth normals, one a vertex, shared across gentle folds
// and split where the surface creases.
#include "mesh/closed_mesh.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mesh {
namespace {

using Normal = Nsupershape::Vector3<double>;

const double crease_cosine = std::cos(crease_degrees * M_PI / 180);
// A vertex whose faces all lie within half the crease angle of their mean
// has no two faces further apart than the angle: it needs no closer look.
const double half_crease_cosine = std::cos(crease_degrees * M_PI / 360);

double dot(const Normal& a, const Normal& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// `n` at unit length, or zero when it has none.
Normal unit(const Normal& n)
{
    const double size = std::sqrt(dot(n, n));
    return size > 0 && std::isfinite(size) ? Normal{n.x / size, n.y / size, n.z / size} : Normal{0, 0, 0};
}

Normal widened(const Tvector3& n)
{
    return {n.x, n.y, n.z};
}

// The vertex that corner `at` names.
std::int32_t& corner(Triangle_mesh& mesh, Corner at)
{
    return (&mesh.triangles[std::size_t(at / 3)].i0)[at % 3];
}

// One creased vertex's faces, by the corner that names the vertex: which
// side each is on, and the sides' normals.
class Fan {
public:
    explicit Fan(Lit_surface& surface) : surface_(surface) {}

    // Splits vertex `v`, whose corners are `corners`, into its sides.
    void split(std::int32_t v, const Corner* corners, std::size_t count)
    {
        gather(corners, count);
        join_across_gentle_edges();
        number_sides();
        if (sides_ == 0)
            return;
        // A side whose mean strays too far from one of its faces lets that
        // face go its own way, until every face is near its side's normal.
        while (sum_sides()) {
        }
        place_sides(v);
    }

private:
    void gather(const Corner* corners, std::size_t count)
    {
        const Triangle_mesh& mesh = surface_.mesh;
        faces_.clear();
        edges_.clear();
        for (std::size_t i = 0; i < count; ++i) {
            const Normal area = widened(surface_.face_normals[std::size_t(corners[i] / 3)]);
            faces_.push_back({corners[i], area, unit(area), std::int32_t(i), 0});
            const std::int32_t* triangle = &mesh.triangles[std::size_t(corners[i] / 3)].i0;
            for (int other = 1; other < 3; ++other)
                edges_.emplace_back(surface_.source(triangle[(corners[i] + other) % 3]), std::int32_t(i));
        }
    }

    bool has_area(const std::size_t i) const { return dot(faces_[i].unit, faces_[i].unit) > 0; }

    std::int32_t root(std::int32_t i)
    {
        while (faces_[std::size_t(i)].parent != i)
            i = faces_[std::size_t(i)].parent = faces_[std::size_t(faces_[std::size_t(i)].parent)].parent;
        return i;
    }

    // Faces that share an edge at the vertex and lie within the crease
    // angle of each other are on one side.
    void join_across_gentle_edges()
    {
        std::sort(edges_.begin(), edges_.end());
        for (std::size_t e = 0; e + 1 < edges_.size(); ++e)
            for (std::size_t f = e + 1; f < edges_.size() && edges_[f].first == edges_[e].first; ++f) {
                const auto a = std::size_t(edges_[e].second), b = std::size_t(edges_[f].second);
                if (has_area(a) && has_area(b) && dot(faces_[a].unit, faces_[b].unit) >= crease_cosine)
                    faces_[root(std::int32_t(a))].parent = root(std::int32_t(b));
            }
    }

    // Sides numbered in the order of their first face; a face without area
    // goes with the first side that has one.
    void number_sides()
    {
        first_of_root_.assign(faces_.size(), -1);
        sides_ = 0;
        std::int32_t first_with_area = -1;
        for (std::size_t i = 0; i < faces_.size(); ++i) {
            if (!has_area(i))
                continue;
            std::int32_t& side = first_of_root_[std::size_t(root(std::int32_t(i)))];
            if (side < 0)
                side = sides_++;
            faces_[i].side = side;
            if (first_with_area < 0)
                first_with_area = side;
        }
        for (std::size_t i = 0; i < faces_.size(); ++i)
            if (!has_area(i))
                faces_[i].side = first_with_area;
    }

    // Each side's normal from its faces' areas; false when every face lies
    // within the crease angle of its side's, true after moving those that
    // do not onto sides of their own.
    bool sum_sides()
    {
        side_normals_.assign(std::size_t(sides_), Normal{0, 0, 0});
        for (std::size_t i = 0; i < faces_.size(); ++i)
            if (has_area(i)) {
                Normal& sum = side_normals_[std::size_t(faces_[i].side)];
                sum = {sum.x + faces_[i].area.x, sum.y + faces_[i].area.y, sum.z + faces_[i].area.z};
            }
        for (Normal& n : side_normals_)
            n = unit(n);
        bool moved = false;
        for (std::size_t i = 0; i < faces_.size(); ++i)
            if (has_area(i) && dot(faces_[i].unit, side_normals_[std::size_t(faces_[i].side)]) < crease_cosine) {
                faces_[i].side = sides_++;
                side_normals_.push_back(faces_[i].unit);
                moved = true;
            }
        return moved;
    }

    // The first side keeps the vertex; each other gets a copy.
    void place_sides(std::int32_t v)
    {
        Triangle_mesh& mesh = surface_.mesh;
        const auto normal_of = [](const Normal& n) {
            return dot(n, n) > 0 ? Tvector3{float(n.x), float(n.y), float(n.z)} : Tvector3{0, 1, 0};
        };
        copies_.assign(std::size_t(sides_), v);
        surface_.normals[std::size_t(v)] = normal_of(side_normals_[0]);
        for (std::int32_t side = 1; side < sides_; ++side) {
            copies_[std::size_t(side)] = std::int32_t(mesh.positions.size());
            const Tvector3 position = mesh.positions[std::size_t(v)];
            mesh.positions.push_back(position);
            surface_.normals.push_back(normal_of(side_normals_[std::size_t(side)]));
            surface_.copied_from.push_back(v);
        }
        for (const Face& face : faces_)
            corner(mesh, face.corner) = copies_[std::size_t(std::max(face.side, 0))];
    }

    struct Face {
        Corner corner;
        Normal area, unit;
        std::int32_t parent, side;
    };
    Lit_surface& surface_;
    std::vector<Face> faces_;
    // (the other end, the face) for each edge at the vertex.
    std::vector<std::pair<std::int32_t, std::int32_t>> edges_;
    std::vector<std::int32_t> first_of_root_, copies_;
    std::vector<Normal> side_normals_;
    std::int32_t sides_ = 0;
};

} // namespace

void light(Lit_surface& surface)
{
    Triangle_mesh& mesh = surface.mesh;
    const std::size_t vertices = mesh.positions.size();
    surface.copied_from.clear();
    surface.normals.resize(vertices);
    surface.face_normals.resize(mesh.triangles.size());
    Nsupershape::vertex_normals(mesh.view(), surface.normals.data(), surface.face_normals.data());

    // A vertex with a face beyond half the crease angle of the mean is
    // looked at face by face: fan_of holds 1 for it, then its fan's number.
    // Without roots: the mean is of unit length, a face's normal not.
    const auto cosine = float(half_crease_cosine);
    std::vector<std::int32_t>& fan_of = surface.fan_of;
    fan_of.assign(vertices, 0);
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
        const Tvector3& face = surface.face_normals[t];
        const float least = cosine * cosine * (face.x * face.x + face.y * face.y + face.z * face.z);
        if (!(least > 0))
            continue;
        for (const std::int32_t v : {mesh.triangles[t].i0, mesh.triangles[t].i1, mesh.triangles[t].i2}) {
            const Tvector3& n = surface.normals[std::size_t(v)];
            const float along = face.x * n.x + face.y * n.y + face.z * n.z;
            if (along < 0 || along * along < least)
                fan_of[std::size_t(v)] = 1;
        }
    }
    for (Tvector3& n : surface.normals)
        if (n.x == 0 && n.y == 0 && n.z == 0)
            n = {0, 1, 0};

    // Each such vertex's corners, in the triangles' order: (fan, corner)
    // pairs, sorted by fan.
    std::int32_t fans = 0;
    for (std::int32_t& f : fan_of)
        f = f ? fans++ : -1;
    if (fans == 0)
        return;
    std::vector<std::pair<std::int32_t, Corner>>& fan = surface.fan;
    fan.clear();
    const auto corners = static_cast<Corner>(3 * mesh.triangles.size());
    for (Corner at = 0; at < corners; ++at)
        if (const std::int32_t f = fan_of[std::size_t(corner(mesh, at))]; f >= 0)
            fan.emplace_back(f, at);
    std::sort(fan.begin(), fan.end());
    Fan sides(surface);
    std::vector<Corner>& at = surface.fan_corners;
    for (std::size_t begin = 0, end = 0; begin < fan.size(); begin = end) {
        at.clear();
        for (end = begin; end < fan.size() && fan[end].first == fan[begin].first; ++end)
            at.push_back(fan[end].second);
        sides.split(corner(mesh, at[0]), at.data(), at.size());
    }
}

void light(const Mesh_view& mesh, Lit_surface& surface)
{
    surface.mesh.positions.assign(mesh.positions, mesh.positions + mesh.vertex_count);
    surface.mesh.triangles.assign(mesh.triangles, mesh.triangles + mesh.triangle_count);
    light(surface);
}

} // namespace mesh

// Any finite parameter record within the limits, on small grids: the closed mesh is refused with a reason or closed
// with a positive volume, and each writer's file read back by an outside library (tests/support) holds the same
// triangles and, whatever bytes rot_str holds, the same one line of parameters (its escapes: tests/export).
//
// The input: the floats a, b, m, n1, n2, n3, radius and scale, a byte each
// for slices and bands (1 to 16 in their low bits; their high bits make a
// quarter of the shapes twisted balls and half of them rings), four colour
// bytes, then rot_str.
#include "export/formats.h"
#include "export/metadata.h"
#include "mesh/closed_mesh.h"
#include "mesh/statistics.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/format_expectations.h"
#include "tests/support/outside_readers.h"
#include "tests/support/scratch_folder.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

constexpr std::size_t fixed_bytes = 8 * sizeof(float) + 2 + 4;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < fixed_bytes)
        return 0;
    Tparams params;
    set_start_values(params);
    float* fields[] = {&params.a,  &params.b,  &params.m,      &params.n1,
                       &params.n2, &params.n3, &params.radius, &params.scale};
    for (int k = 0; k < 8; ++k) {
        std::memcpy(fields[k], data + sizeof(float) * k, sizeof(float));
        if (!std::isfinite(*fields[k]))
            return 0;
    }
    params.slices = 1 + data[32] % 16;
    params.bands = 1 + data[33] % 16;
    const int kind = data[32] >> 6, step = data[33] >> 4;
    if (kind == 1)
        params.twist = 30.0f * float(step - 8);
    if (kind >= 2)
        params.torus = 0.25f * float(step);
    std::memcpy(params.color, data + 34, 4);
    params.rot_str.assign(reinterpret_cast<const char*>(data) + fixed_bytes, size - fixed_bytes);

    mesh::Triangle_mesh closed;
    const runtime::Status status = mesh::build_closed_mesh(params, closed);
    if (!status.ok()) {
        FUZZ_REQUIRE(status.kind == runtime::Status::Kind::refused && !status.message.empty());
        FUZZ_REQUIRE(closed.positions.empty() && closed.triangles.empty());
        return 0;
    }
    const mesh::Mesh_view view = closed.view();
    const mesh::Mesh_statistics statistics = mesh::measure(view);
    FUZZ_REQUIRE(statistics.closed && statistics.integrals.volume > 0);
    // One line, which each file below carries whole.
    const std::string text = file_export::parameter_text(params);
    FUZZ_REQUIRE(text.find_first_of("\r\n") == std::string::npos);
    const file_export::Export_mesh file{view, "fuzz", params, "fuzz.mtl"};
    static const test_support::Scratch_folder folder("mesh_fuzz");
    // The snippet, which holds no mesh, has a fuzz target of its own.
    for (const file_export::Format_row& row : file_export::formats) {
        if (!row.holds_mesh)
            continue;
        const std::string path = folder / (std::string("fuzz.") + row.extension);
        std::FILE* out = std::fopen(path.c_str(), "wb");
        const runtime::Status wrote = row.write(out, file);
        FUZZ_REQUIRE(std::fclose(out) == 0);
        // 3MF refuses what its six decimals cannot hold; nothing else may fail.
        if (row.format == file_export::Format::threemf && wrote.kind == runtime::Status::Kind::refused)
            continue;
        FUZZ_REQUIRE(wrote.ok());
        const test_support::Read_back found = test_support::read_mesh_file(row.format, path);
        FUZZ_REQUIRE(test_support::changed_corner(found, view, row.format).empty());
        FUZZ_REQUIRE(found.parameters == (test_support::expected_of(row.format).carried ? text : ""));
    }
    return 0;
}

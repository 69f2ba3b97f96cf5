// The g91to90 module for Python: the library's conversion, a stop raised as
// g91to90.Stop, text in and out as str or bytes.
#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "g91to90/g91to90.hpp"

namespace py = pybind11;

namespace {

// g91to90.Stop, made when the module is loaded (and kept while it is).
PyObject* stop_type = nullptr;

// What a conversion gives back.
struct converted {
    py::object output;  // str or bytes, as the input; None for a file
    g91to90::report report;
};

// A start as axis words: "X0 Y0 Z50", or {"X": 0, "Z": 50}.
std::string start_words(const py::object& start) {
    if (start.is_none()) {
        return {};
    }
    if (py::isinstance<py::dict>(start)) {
        std::string words;
        for (const auto& [axis, value] : start.cast<py::dict>()) {
            words += py::str(axis).cast<std::string>() + py::str(value).cast<std::string>() + " ";
        }
        return words.empty() ? words : words.substr(0, words.size() - 1);
    }
    return start.cast<std::string>();
}

g91to90::integer_reading reading_of(const py::object& integers) {
    if (integers.is_none()) {
        return g91to90::integer_reading::unknown;
    }
    const std::string reading = integers.cast<std::string>();
    if (reading == "units") {
        return g91to90::integer_reading::units;
    }
    if (reading == "increments") {
        return g91to90::integer_reading::increments;
    }
    throw py::value_error("integers takes None, 'units' or 'increments'");
}

// Text of a str or bytes object, as bytes.
std::string bytes_of(const py::handle& text) {
    if (py::isinstance<py::bytes>(text)) {
        return text.cast<std::string>();
    }
    return text.cast<py::str>().cast<std::string>();
}

g91to90::options options_of(const py::object& start, const py::object& decimals, bool decimal_point,
                            const py::object& integers, bool expand_calls,
                            const py::object& find_file, const std::string& extension) {
    g91to90::options how;
    how.start = start_words(start);
    how.decimals = decimals.is_none() ? 0 : decimals.cast<int>();
    how.decimal_point = decimal_point;
    how.integers = reading_of(integers);
    how.expand_calls = expand_calls;
    how.extension = extension;
    if (!find_file.is_none()) {
        how.find_file = [find_file](const std::string& name) -> std::optional<std::string> {
            const py::gil_scoped_acquire held;
            const py::object found = find_file(name);
            if (found.is_none()) {
                return std::nullopt;
            }
            return bytes_of(found);
        };
    }
    return how;
}

// Raises g91to90.Stop for a stopped result.
void raise_stop(const g91to90::stop& stopped) {
    const py::object error = py::reinterpret_borrow<py::object>(stop_type)(stopped.message);
    error.attr("line") = stopped.line;
    error.attr("file") = stopped.file;
    error.attr("reason") = std::string(g91to90::reason_name(stopped.reason));
    error.attr("message") = stopped.message;
    PyErr_SetObject(stop_type, error.ptr());
    throw py::error_already_set();
}

converted convert(const py::object& text, const py::object& start, const py::object& decimals,
                  bool decimal_point, const py::object& integers, bool expand_calls,
                  const py::object& find_file, const std::string& extension, bool check) {
    const bool as_bytes = py::isinstance<py::bytes>(text);
    const std::string program = bytes_of(text);
    g91to90::options how =
        options_of(start, decimals, decimal_point, integers, expand_calls, find_file, extension);
    how.check_only = check;
    g91to90::result done;
    {
        const py::gil_scoped_release released;
        done = g91to90::convert(program, how);
    }
    if (done.stopped) {
        raise_stop(*done.stopped);
    }
    return {as_bytes ? py::object(py::bytes(done.output)) : py::object(py::str(done.output)),
            done.read};
}

// Reads `in_path` and writes `out_path` in pieces; the output is written to a
// temporary file beside it and put in place only when the conversion ends.
converted convert_file(const std::string& in_path, const std::string& out_path,
                       const py::object& start, const py::object& decimals, bool decimal_point,
                       const py::object& integers, bool expand_calls, const py::object& find_file) {
    const std::filesystem::path input(in_path);
    py::object finder = find_file;
    if (finder.is_none() && expand_calls) {
        // Called programs in files beside the input.
        const std::filesystem::path folder = input.parent_path();
        finder = py::cpp_function([folder](const std::string& name) -> py::object {
            std::ifstream file(folder / name, std::ios::binary);
            if (!file) {
                return py::none();
            }
            return py::bytes(std::string(std::istreambuf_iterator<char>(file), {}));
        });
    }
    const g91to90::options how = options_of(start, decimals, decimal_point, integers, expand_calls,
                                            finder, input.extension().string());
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        throw py::value_error("cannot open " + in_path);
    }
    const std::filesystem::path temporary = out_path + ".g91to90-partial";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw py::value_error("cannot write beside " + out_path);
    }
    g91to90::result done;
    {
        const py::gil_scoped_release released;
        done = g91to90::convert(
            [&in](char* buffer, std::size_t size) -> std::optional<std::size_t> {
                in.read(buffer, static_cast<std::streamsize>(size));
                if (in.bad()) {
                    return std::nullopt;
                }
                return static_cast<std::size_t>(in.gcount());
            },
            [&out](std::string_view bytes) {
                out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
                return out.good();
            },
            how, in_path);
        out.close();
    }
    std::error_code ignored;
    if (done.stopped) {
        std::filesystem::remove(temporary, ignored);
        raise_stop(*done.stopped);
    }
    if (out.fail()) {
        std::filesystem::remove(temporary, ignored);
        throw py::value_error("cannot write " + out_path);
    }
    std::filesystem::rename(temporary, out_path);
    return {py::none(), done.read};
}

}  // namespace

PYBIND11_MODULE(g91to90, module) {
    module.doc() = "Rewrites G-code part programs from incremental (G91) to absolute (G90) mode.";
    module.attr("__version__") = std::string(g91to90::version());
    stop_type = PyErr_NewExceptionWithDoc(
        "g91to90.Stop", "The program cannot be converted: .line, .file, .reason, .message.",
        nullptr, nullptr);
    module.attr("Stop") = py::handle(stop_type);
    py::class_<g91to90::report>(module, "Report")
        .def_readonly("lines", &g91to90::report::lines)
        .def_readonly("moves", &g91to90::report::moves)
        .def_readonly("extents", &g91to90::report::extents)
        .def_readonly("numbers", &g91to90::report::numbers)
        .def("__str__", &g91to90::report_text);
    py::class_<converted>(module, "Result")
        .def_readonly("output", &converted::output)
        .def_readonly("report", &converted::report);
    module.def("convert", &convert, py::arg("text"), py::arg("start") = py::none(),
               py::arg("decimals") = py::none(), py::arg("decimal_point") = false,
               py::arg("integers") = py::none(), py::arg("expand_calls") = false,
               py::arg("find_file") = py::none(), py::arg("extension") = ".nc",
               py::arg("check") = false);
    module.def("convert_file", &convert_file, py::arg("in_path"), py::arg("out_path"),
               py::arg("start") = py::none(), py::arg("decimals") = py::none(),
               py::arg("decimal_point") = false, py::arg("integers") = py::none(),
               py::arg("expand_calls") = false, py::arg("find_file") = py::none());
}

#include "tests/support/editor_process.h"

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace test_support {
namespace {

using Clock = std::chrono::steady_clock;

std::string run_command(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, count);
    pclose(pipe);
    return output;
}

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string read_file(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

Picture parse_ppm(const std::string& data)
{
    Picture picture;
    std::istringstream stream(data);
    std::string magic;
    int max_value = 0;
    stream >> magic >> picture.width >> picture.height >> max_value;
    stream.get();
    if (magic != "P6" || max_value != 255 || picture.width <= 0 || picture.height <= 0)
        return Picture{};
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    stream.read(reinterpret_cast<char*>(picture.pixels.data()),
                static_cast<std::streamsize>(picture.pixels.size() * sizeof(Rgb)));
    return picture;
}

} // namespace

int Picture::count(const Rgb& colour) const
{
    return count_in(colour, 0, 0, width, height);
}

int Picture::count_in(const Rgb& colour, int left, int top, int right, int bottom) const
{
    int total = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, width); ++x)
            total += at(x, y) == colour;
    return total;
}

std::string make_scratch_folder()
{
    char pattern[] = "/tmp/supershape-test-XXXXXX";
    const char* folder = mkdtemp(pattern);
    return folder ? folder : "";
}

Editor_process::Editor_process(std::string working_folder, std::vector<std::string> environment_changes,
                               std::vector<std::string> arguments)
    : folder_(std::move(working_folder))
{
    const std::string output = folder_ + "/stdout.txt";
    const std::string error = folder_ + "/stderr.txt";
    // The display outlives each program: start with the pointer away from
    // where the window will be, wherever an earlier test left it.
    point_away();
    pid_ = fork();
    if (pid_ == 0) {
        if (chdir(folder_.c_str()) != 0)
            _exit(126);
        const int output_fd = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int error_fd = open(error.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int input_fd = open("/dev/null", O_RDONLY);
        dup2(output_fd, STDOUT_FILENO);
        dup2(error_fd, STDERR_FILENO);
        dup2(input_fd, STDIN_FILENO);
        for (const std::string& change : environment_changes) {
            const auto equals = change.find('=');
            if (equals == std::string::npos)
                unsetenv(change.c_str());
            else
                setenv(change.substr(0, equals).c_str(), change.substr(equals + 1).c_str(), 1);
        }
        std::vector<char*> argv{const_cast<char*>(SUPERSHAPE_EXECUTABLE)};
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(SUPERSHAPE_EXECUTABLE, argv.data());
        _exit(127);
    }
}

Editor_process::~Editor_process()
{
    if (pid_ > 0 && !exit_status_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

const std::string& Editor_process::window()
{
    if (window_.empty()) {
        const std::string command =
            "timeout 30 xdotool search --sync --onlyvisible --pid " + std::to_string(pid_) + " 2>/dev/null";
        std::istringstream ids(run_command(command));
        ids >> window_;
    }
    return window_;
}

std::string Editor_process::window_title()
{
    return trimmed(run_command("xdotool getwindowname " + window()));
}

Picture Editor_process::capture()
{
    return parse_ppm(run_command("import -window " + window() + " -depth 8 ppm:- 2>/dev/null"));
}

Picture Editor_process::capture_until(const std::function<bool(const Picture&)>& wanted, double seconds)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    Picture picture = capture();
    while (!wanted(picture) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        picture = capture();
    }
    return picture;
}

void Editor_process::key(const std::string& keysym)
{
    run_command("xdotool windowfocus " + window() + " key --delay 0 " + keysym + " sleep 0.2");
}

void Editor_process::type(const std::string& text)
{
    // Everything after "type" is typed, so the pause is a command of its own.
    run_command("xdotool windowfocus " + window() + " type --delay 30 '" + text + "'");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

void Editor_process::click(int x, int y, int count)
{
    run_command("xdotool mousemove --window " + window() + " " + std::to_string(x) + " " + std::to_string(y) +
                " sleep 0.1 click --repeat " + std::to_string(count) + " --delay 80 1 sleep 0.2");
}

void Editor_process::point_at(int x, int y)
{
    run_command("xdotool mousemove --window " + window() + " " + std::to_string(x) + " " + std::to_string(y));
}

void Editor_process::point_away()
{
    run_command("xdotool mousemove 1279 1023 2>/dev/null");
}

void Editor_process::scroll_down(int x, int y, int notches)
{
    // X buttons 4 and 5 turn the wheel away from and towards the user.
    run_command("xdotool mousemove --window " + window() + " " + std::to_string(x) + " " + std::to_string(y) +
                " sleep 0.1 click --repeat " + std::to_string(std::abs(notches)) + " --delay 30 " +
                (notches < 0 ? "4" : "5") + " sleep 0.2");
}

void Editor_process::request_close()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window());
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
}

std::optional<int> Editor_process::wait_for_exit(double seconds)
{
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (!exit_status_) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_)
            exit_status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        else if (Clock::now() >= deadline)
            break;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return exit_status_;
}

std::string Editor_process::standard_output() const
{
    return read_file(folder_ + "/stdout.txt");
}

std::string Editor_process::standard_error() const
{
    return read_file(folder_ + "/stderr.txt");
}

} // namespace test_support

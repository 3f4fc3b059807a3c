#pragma once
#include <functional>
#include <string>

// Measuring one figure: the fastest of several runs of our code and of its
// floor, both taken now, so the ratio holds on a busy machine.
namespace bench {

double seconds(const std::function<void()>& work);
double best_of(int runs, const std::function<void()>& work);
// Prints "name: ours, floor, ratio, goal" (times in milliseconds).
void report(const std::string& name, double ours, double floor, double goal);
void note(const std::string& text);
// "12.34 ms" and "1.23x", as report() prints them.
std::string millis(double seconds);
std::string ratio(double ours, double floor);

// A folder of its own under the temporary folder, removed at the end.
class Scratch {
public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

}  // namespace bench

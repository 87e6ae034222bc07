#include "shell/worker_window.h"

#include "runtime/system.h"
#include "shell/controls.h"

namespace shell {

namespace {

using runtime::Text;

class MainWindowView final : public speech::SpeechWindow {
public:
    Text source_text() override { return content(Control::要翻译的); }
    Text result_text() override { return content(Control::已翻译结果); }

    translate::LanguageNames language_names() override {
        std::vector<Text> names = contents({Control::源语言组合框, Control::目标语言组合框});
        return {names[0], names[1]};
    }

    bool automatic_recognition_ticked() override { return ticked(Control::选择框1); }

    translate::LanguagePair language_rows() override {
        return {selection(Control::源语言组合框), selection(Control::目标语言组合框)};
    }

    void select_language_rows(translate::LanguagePair rows) override {
        set_selection(Control::源语言组合框, rows.source);
        set_selection(Control::目标语言组合框, rows.target);
    }

    void show_result(const Text& result) override { set_content(Control::已翻译结果, result); }
    void dispatch_events() override { runtime::process_events(); }
};

}  // namespace

speech::SpeechWindow& worker_window() {
    static MainWindowView view;
    return view;
}

}  // namespace shell

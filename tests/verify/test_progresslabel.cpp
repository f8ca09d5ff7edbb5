// The dialog's progress text, which a fast worker may change thousands of times a second.

#include "harness/helpers.h"

#include "korgui/verify/progresslabel.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

#include <memory>

using namespace kortest;

namespace
{

constexpr std::chrono::milliseconds INTERVAL(200);

class ProgressLabelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "progress");
        text = new wxStaticText(frame, wxID_ANY, "start");
        label = std::make_unique<ProgressLabel>(text, INTERVAL);
        frame->Show();
    }
    void TearDown() override
    {
        label.reset();
        frame->Destroy();
        PumpFor(std::chrono::milliseconds(10));
    }

    wxFrame* frame = nullptr;
    wxStaticText* text = nullptr;
    std::unique_ptr<ProgressLabel> label;
};

} // namespace

TEST_F(ProgressLabelTest, FastTextsGiveWayToTheLatest)
{
    label->Show("File 1 of 3");
    EXPECT_EQ(text->GetLabelText(), "File 1 of 3");
    label->ShowSoon("File 2 of 3");
    label->ShowSoon("File 3 of 3");
    EXPECT_EQ(text->GetLabelText(), "File 1 of 3");
    EXPECT_TRUE(PumpUntil([&] { return text->GetLabelText() == "File 3 of 3"; }, std::chrono::seconds(5)));

    // Once the interval has passed, a text shows at once.
    PumpFor(INTERVAL + std::chrono::milliseconds(50));
    label->ShowSoon("Progress: 50.00 %");
    EXPECT_EQ(text->GetLabelText(), "Progress: 50.00 %");
}

TEST_F(ProgressLabelTest, AnImmediateTextIsNotOverwrittenByAnEarlierOne)
{
    label->Show("Progress: 0%");
    label->ShowSoon("File 1 of 2");
    label->Show("Log has been saved on the desktop");
    PumpFor(INTERVAL * 2);
    EXPECT_EQ(text->GetLabelText(), "Log has been saved on the desktop");
}

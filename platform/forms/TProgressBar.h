// The progress bar: Position between Min and Max, advanced by StepIt.
#pragma once

#include "platform/forms/TWinControl.h"

namespace win {

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent *Owner);
    AnsiString ClassName() const override { return "TProgressBar"; }

    int GetMin() const { return min_; }
    void SetMin(int value);
    int GetMax() const { return max_; }
    void SetMax(int value);
    int GetPosition() const { return position_; }
    // Kept within Min..Max.
    void SetPosition(int value);
    // Position += Step.
    void StepIt() { SetPosition(position_ + Step); }

    Property<TProgressBar, int, &TProgressBar::GetMin, &TProgressBar::SetMin> Min{this};
    Property<TProgressBar, int, &TProgressBar::GetMax, &TProgressBar::SetMax> Max{this};
    Property<TProgressBar, int, &TProgressBar::GetPosition, &TProgressBar::SetPosition> Position{this};
    int Step = 10;

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;

private:
    void Apply();

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};

} // namespace win

#pragma once

#include <QString>

// The few questions the librarian's and the editors' logic asks while it
// works. The windows answer them with message boxes (DialogQuestions); the
// logic's tests answer them without a screen. Needs Qt Core only.
class Questions {
public:
    enum class Tone { Question, Warning };

    virtual ~Questions() = default;
    // OK (the default) goes on; Cancel, false, leaves things as they were.
    virtual bool okCancel(Tone tone, const QString& text) = 0;
    // Yes (the default) or No.
    virtual bool yesNo(const QString& text) = 0;
    // The standard error box.
    virtual void showError(const QString& text) = 0;
};

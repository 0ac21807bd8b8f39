#pragma once

#include <QList>
#include <QStringList>

#include "shell/Questions.h"

// Answers the logic's questions from a queue, then with `answer`, and
// remembers their texts and those of the errors shown.
struct AnsweringQuestions : Questions {
    QStringList texts;
    QList<bool> answers;
    bool answer = true;

    bool okCancel(Tone, const QString& text) override { return next(text); }
    bool yesNo(const QString& text) override { return next(text); }
    void showError(const QString& text) override { texts << text; }

private:
    bool next(const QString& text)
    {
        texts << text;
        return answers.isEmpty() ? answer : answers.takeFirst();
    }
};

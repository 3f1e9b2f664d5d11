#pragma once

#include <QImage>

// What a grey picture of printed text tells about itself, whatever density
// its file states: how tall its characters are and how far its lines are
// turned. Measured on the dark marks that have the size of characters.
class RTextMeasure
{
public:
    explicit RTextMeasure(const QImage &grey);

    // Median height of the character marks in picture pixels, 0 without text.
    double markHeight() const { return m_markHeight; }
    // Turn of the text lines in degrees, clockwise positive; 0 when the
    // lines show no clear direction.
    double skewDegrees() const { return m_skew; }
    int markCount() const { return int(m_centres.size()); }

private:
    void findMarks(const QImage &grey, double scale);
    void findSkew();

    std::vector<QPointF> m_centres;
    double m_markHeight = 0;
    double m_skew = 0;
};

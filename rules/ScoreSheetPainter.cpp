// The drawing of one score sheet.
#include "rules/ScoreSheetPainter.h"

#include "db/Conversions.h"
#include "db/RuvoProps.h"
#include "frame/texts/BaseText.h"
#include "records/Starter_t.h"
#include "rules/ReglementDB.h"
#include "rules/Wertungsbogen.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QPaintEngine>
#include <QPainter>

#include <QtDebug>

namespace {

const double mmPerInch = 25.4;
const double thinPenMm = 0.2;
const double footerMm = 3.2;
const double titleMm = 8;
const double boxesMm = 43.5;
const double tableMm = 179;
const double indentMm = 1.5;
const double gapMm = 0.5;   // least room between a text and the lines of its cell

const int labelPt = 8;
const int valuePt = 10;
const int titlePt = 18;

const int groupsOnLandscape = 4;
const char* const markSigns[] = { "X", "~", "|", "O" };
const int markDeduction[] = { 20, 50, 100, 200 };   // hundredths per mark
const char* const markLabels[] = { "X x 0,2 =", "~ x 0,5 =", "| x 1,0 =", "O x 2,0 =" };
const int percentIndex = 4;

const Qt::Alignment alignLeft = Qt::AlignLeft | Qt::AlignVCenter;
const Qt::Alignment alignRight = Qt::AlignRight | Qt::AlignVCenter;
const Qt::Alignment alignCentre = Qt::AlignCenter;

QString points(int hundredths)
{
    return QString::fromLatin1(pointsText(hundredths));
}

QString decimal(double value, int decimals)
{
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(RuvoProps::decimalSeparator()));
}

} // namespace

ScoreSheetPainter::ScoreSheetPainter(Wertungsbogen& sheet, QPainter& painter)
    : sheet(sheet), p(painter), baseFont(painter.font())
{
    QPaintDevice* device = p.device();
    dotsPerMmX = device ? device->logicalDpiX() / mmPerInch : 72 / mmPerInch;
    dotsPerMmY = device ? device->logicalDpiY() / mmPerInch : 72 / mmPerInch;
    keepPens = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Picture;
    // 0.2 mm, at least one unit; the thick pen is twice as wide.
    const int width = qMax(1, mmX(thinPenMm));
    thin = QPen(Qt::black, width, Qt::SolidLine);
    thick = QPen(Qt::black, 2 * width, Qt::SolidLine);
    gap = mmX(gapMm);
    indent = mmX(indentMm - gapMm);
    newRules = sheet.getReglementDB() && sheet.isNewReglement();
    const WertungList& list = sheet.getWertungen();
    for (const Wertung_t* r : list)
        records.append(r);
}

int ScoreSheetPainter::mmX(double mm) const
{
    return int(dotsPerMmX * mm);
}

int ScoreSheetPainter::mmY(double mm) const
{
    return int(dotsPerMmY * mm);
}

void ScoreSheetPainter::usePen(const QPen& pen)
{
    if (!keepPens)
        p.setPen(pen);
}

void ScoreSheetPainter::useFont(int points, bool bold, bool underline)
{
    QFont f = baseFont;
    f.setPointSize(points);
    f.setWeight(bold ? 75 : QFont::Normal);
    f.setUnderline(underline);
    p.setFont(f);
}

void ScoreSheetPainter::text(const QRect& cell, int flags, const QString& s)
{
    if (s.isEmpty())
        return;
    // Cut short with an ellipsis rather than clipped at the cell's border, where
    // a judge could take what is left for the whole.
    const bool cut = !s.contains(QLatin1Char('\n')) && p.fontMetrics().horizontalAdvance(s) > room(cell);
    p.drawText(cell.adjusted(gap, 0, -gap, 0), flags, cut ? p.fontMetrics().elidedText(s, Qt::ElideRight, room(cell)) : s);
}

void ScoreSheetPainter::at(int x, int y, const std::function<void()>& draw)
{
    p.save();
    p.translate(x, y);
    draw();
    p.restore();
}

void ScoreSheetPainter::drawPage(const QRect& page)
{
    const Wertung_t* first = records.isEmpty() ? nullptr : records.first();
    sheet.getKopf(kopf, first);
    const int footer = mmY(footerMm);
    const QRect body(page.left(), page.top(), page.width(), page.height() - footer);
    if (page.width() < page.height())
        drawPortrait(body);
    else
        drawLandscape(body);
    // A gap below the body's last line, lest the text touch it.
    drawFooter(QRect(page.left(), body.bottom() + 1 + gap, page.width(), footer));
}

void ScoreSheetPainter::drawPortrait(const QRect& body)
{
    const int w = body.width();
    const int half = w / 2;
    usePen(thick);
    p.drawRect(body);

    const int title = mmY(titleMm);
    useFont(titlePt);
    text(QRect(body.left(), body.top(), half, title), alignRight, baseText(0).toUpper() + QStringLiteral("  "));
    useFont(valuePt);
    text(QRect(body.left() + half, body.top(), w - half, title), alignLeft, QStringLiteral("   ") + baseText(3));
    p.drawLine(body.left(), body.top() + title, body.right(), body.top() + title);

    const int boxes = mmY(boxesMm);
    const int boxTop = body.top() + title;
    p.drawLine(body.left() + half, boxTop, body.left() + half, boxTop + boxes);
    p.drawLine(body.left(), boxTop + boxes, body.right(), boxTop + boxes);
    usePen(thin);
    at(body.left(), boxTop, [&] { drawSportler(half, boxes); });
    at(body.left() + half, boxTop, [&] { drawDaten(w - half, boxes); });

    const int tableTop = boxTop + boxes;
    const int table = mmY(tableMm);
    at(body.left(), tableTop, [&] { drawUebungen(w, table, false); });
    at(body.left(), tableTop + table, [&] { drawWertung(w, body.bottom() - tableTop - table); });
}

void ScoreSheetPainter::drawLandscape(const QRect& body)
{
    usePen(thin);
    const int w = body.width();
    const int half = w / 2;
    useFont(titlePt);
    const int title = p.fontMetrics().height() * 3 / 2;
    text(QRect(body.left(), body.top(), half, title), alignLeft, baseText(1).toUpper());
    useFont(valuePt);
    const QRect rightHalf(body.left() + half, body.top(), w - half, title);
    text(rightHalf.adjusted(0, 0, -rightHalf.width() / 4, 0), alignLeft, kopf.name);
    text(rightHalf, alignRight, kopf.aufgestellt);
    at(body.left(), body.top() + title, [&] { drawUebungen(w, body.height() - title, true); });
}

void ScoreSheetPainter::drawFooter(const QRect& strip)
{
    useFont(labelPt);
    ReglementDB* reglement = sheet.getReglementDB();
    const QString version = reglement ? reglement->version() : QStringLiteral("KEIN Reglement !!!");
    text(strip, Qt::AlignLeft | Qt::AlignTop, version);
    text(strip, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Kesa2008 V4.4.7.3"));
    text(strip, Qt::AlignRight | Qt::AlignTop, QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
}

void ScoreSheetPainter::drawSportler(int w, int h)
{
    const int row = h / 7;
    const int head = h - 6 * row;
    const int uciW = w * 29 / 100;
    const int yearW = w * 18 / 100;
    const int yearX = w - yearW;
    useFont(labelPt);
    text(QRect(0, 0, uciW, head), alignCentre, baseText(4));
    text(QRect(uciW, 0, yearX - uciW, head), alignCentre, baseText(5));
    text(QRect(yearX, 0, yearW, head), alignCentre, baseText(61));

    QList<ExpandedAthlete> athletes;
    sheet.getAthletes(athletes, 0, false);
    useFont(valuePt);
    for (int i = 0; i < 6; ++i) {
        const int y = head + i * row;
        p.drawLine(0, y, w, y);
        if (i >= athletes.size())
            continue;
        const ExpandedAthlete& a = athletes.at(i);
        text(QRect(0, y, uciW, row), alignCentre, a.uciId.text());
        text(QRect(uciW + indent, y, yearX - uciW - indent, row), alignLeft, a.displayName());
        if (a.Geburtsdatum.isValid())
            text(QRect(yearX, y, yearW, row), alignCentre, a.Geburtsdatum.toString(QStringLiteral("yyyy")));
    }
    p.drawLine(uciW, 0, uciW, h);
    p.drawLine(yearX, 0, yearX, h);
}

void ScoreSheetPainter::drawDaten(int w, int h)
{
    sheet.rewindWertungen();
    const int row = h / 7;
    const int firstRow = h - 6 * row;
    const int labelW = w * 19 / 100;
    const int pointsW = w * 18 / 100;
    const int pktW = w * 13 / 100;
    const int numberW = w / 4;
    const int numberX = w - numberW;
    const int valueX = labelW + indent;
    const Starter_t* starter = sheet.getStarter();

    const Competition& event = kopf.wettkampf;
    QString dateAndPlace;
    if (event.Datum.isValid() || !event.Ort.isEmpty())
        dateAndPlace = QLocale().toString(event.Datum, QLocale::ShortFormat) + QStringLiteral(" / ") + event.Ort;
    const QString category = starter->ageClass == 0 ? QString() : kopf.kategorie;

    // Label text number and value of each row; the best result has cells of its own.
    struct Row { int label; QString value; };
    QList<Row> rows = { { 6, QString() },        { 10, kopf.verband },      { 11, kopf.verein },
                        { 12, event.Name },      { 13, dateAndPlace },      { 14, event.Veranstalter } };
    if (newRules)
        rows.prepend({ 15, category });
    else
        rows.append({ 15, category });

    for (int i = 0; i < rows.size(); ++i) {
        const int y = i == 0 ? 0 : firstRow + (i - 1) * row;
        const int height = i == 0 ? firstRow : row;
        if (i > 0)
            p.drawLine(0, y, numberX, y);
        useFont(labelPt);
        fitText(QRect(0, y, labelW, height), baseText(rows[i].label), alignRight);
        if (rows[i].label == 6) {
            useFont(valuePt);
            text(QRect(labelW, y, pointsW, height), alignCentre, kopf.bestPunkte);
            useFont(labelPt);
            text(QRect(labelW + pointsW, y, pktW, height), alignRight, baseText(7) + QStringLiteral(" ") + baseText(8));
            useFont(valuePt);
            text(QRect(labelW + pointsW + pktW + indent, y, numberX - labelW - pointsW - pktW - indent, height), alignLeft,
                 kopf.bestDatum);
            continue;
        }
        useFont(rows[i].label == 15 && newRules ? labelPt : valuePt);
        text(QRect(valueX, y, numberX - valueX, height), alignLeft, rows[i].value);
    }
    p.drawLine(labelW, 0, labelW, h);

    // The start number in a thick frame at the top right.
    const int numberH = firstRow + 2 * row;
    useFont(labelPt);
    text(QRect(numberX, 0, numberW, firstRow), alignCentre, baseText(16));
    useFont(titlePt);
    if (const int n = sheet.getNummer())
        text(QRect(numberX, firstRow, numberW, 2 * row), alignCentre, QString::number(n));
    usePen(thick);
    p.drawLine(numberX, 0, numberX, numberH);
    p.drawLine(numberX, numberH, w, numberH);
    usePen(thin);
    p.drawLine(numberX, firstRow, w, firstRow);
}

const quint8* ScoreSheetPainter::marksOf(const Wertung_t& r, int slot)
{
    if (slot < 0)
        return r.extra1;
    if (slot >= Wertung_t::exerciseCount)
        return r.extra2;
    return r.exercises[slot];
}

int ScoreSheetPainter::markTotal(const Wertung_t& r, int kind)
{
    int total = r.extra1[kind] + r.extra2[kind];
    for (const auto& marks : r.exercises)
        total += marks[kind];
    return total;
}

int ScoreSheetPainter::tacticalSum(const Wertung_t& r)
{
    int sum = 0;
    for (const TaktischWertung& t : r.tactical)
        sum += int(t.value);
    return sum;
}

int ScoreSheetPainter::tacticalOfRow(const Wertung_t& r, int row)
{
    int sum = 0;
    for (const TaktischWertung& t : r.tactical)
        if (t.exercise == row)
            sum += int(t.value);
    return sum;
}

int ScoreSheetPainter::resultOf(const Wertung_t& r) const
{
    return sheet.getStarter()->given + tacticalSum(r) - int(r.deduction1) - int(r.deduction2);
}

QString ScoreSheetPainter::groupDate(const Wertung_t& r)
{
    WertungsbogenKopf own;
    sheet.getKopf(own, &r);
    if (own.wettkampf.Name == QLatin1String("Training"))
        return QDateTime::fromSecsSinceEpoch(r.startTime).toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
    return own.wettkampf.Datum.toString(QStringLiteral("dd/MM/yy"));
}

int ScoreSheetPainter::room(const QRect& cell) const
{
    return cell.width() - 2 * gap;
}

void ScoreSheetPainter::fitText(const QRect& cell, const QString& s, Qt::Alignment align)
{
    QFont f = p.font();
    const int size = f.pointSize();
    for (int smaller = 0; smaller <= 3; ++smaller) {
        f.setPointSize(size - smaller);
        p.setFont(f);
        if (p.fontMetrics().horizontalAdvance(s) <= room(cell))
            break;
    }
    text(cell, align, s);
    f.setPointSize(size);
    p.setFont(f);
}

int ScoreSheetPainter::columnWidth(const QString& widestValue, const QString& head, bool bold)
{
    useFont(valuePt, bold);
    int widest = p.fontMetrics().horizontalAdvance(widestValue);
    useFont(labelPt);
    for (const QString& line : head.split(QLatin1Char('\n')))
        widest = qMax(widest, p.fontMetrics().horizontalAdvance(line));
    return widest + 2 * gap;
}

ScoreSheetPainter::Columns ScoreSheetPainter::tableColumns(int w, bool landscape)
{
    Columns c = {};
    c.nr = columnWidth(QStringLiteral("30"), baseText(17), true);
    c.code = columnWidth(QStringLiteral("8888ma"), baseText(18));
    c.takt = newRules ? columnWidth(QStringLiteral("88,88"), baseText(21)) : 0;
    c.value = columnWidth(QStringLiteral("88,8"), baseText(20));
    c.pct = columnWidth(QStringLiteral("888"), QStringLiteral("%"));
    c.pkt = columnWidth(QStringLiteral("88,88"), baseText(7));
    // On landscape sheets the mark columns also hold the totals of all rows.
    c.mark = columnWidth(QString::fromLatin1(landscape ? "888" : "88"), QStringLiteral("X\n~\n|\nO"));
    c.groups = landscape ? groupsOnLandscape : 1;
    const int fixed = c.nr + c.code + c.takt + c.value;
    c.group = c.pct + c.pkt + 4 * c.mark;
    if (landscape) {
        c.text = w - fixed - c.groups * c.group;
        return c;
    }
    // Narrower than usual only where the page leaves the numbers too little room.
    c.text = qMin(w * 57 / 100 + (newRules ? 0 : w / 20), w - fixed - c.group);
    c.group = w - fixed - c.text;
    c.mark = (c.group - c.pct - c.pkt) / 4;
    return c;
}

void ScoreSheetPainter::drawTableHead(const Columns& c, int head, bool withChecksum)
{
    useFont(labelPt);
    text(QRect(0, 0, c.nr, head), alignCentre, baseText(17));
    text(QRect(c.nr, 0, c.code, head), alignCentre, baseText(18));
    text(QRect(c.textX(), 0, c.text, head), alignCentre, baseText(19));
    if (withChecksum)
        text(QRect(c.textX(), 0, c.text, head), Qt::AlignRight | Qt::AlignBottom, kopf.pruefsumme + QStringLiteral("  "));
    if (newRules)
        text(QRect(c.taktX(), 0, c.takt, head), alignCentre, baseText(21));
    text(QRect(c.valueX(), 0, c.value, head), alignCentre, baseText(20));
}

void ScoreSheetPainter::drawGroupHead(const Columns& c, int g, int head, int row, int tableBottom, bool landscape)
{
    const Wertung_t* r = g < records.size() ? records.at(g) : nullptr;
    const int x = c.groupX(g);
    const int half = head / 2;
    const int marksX = c.marksX(g);
    if (landscape && r && r->ausgefahren != 0) {
        for (quint8 listed : r->ausgefahrenRows) {
            if (listed == 0)
                break;
            p.fillRect(QRect(x, head + (listed - 1 + (newRules ? 1 : 0)) * row, c.group, row), QColor(208, 208, 208));
        }
    }
    useFont(labelPt);
    fitText(QRect(x, 0, c.pct + c.pkt, half), landscape ? (r ? groupDate(*r) : QString()) : baseText(22), alignCentre);
    text(QRect(x, half, c.pct, head - half), alignCentre, QStringLiteral("%"));
    text(QRect(x + c.pct, half, c.pkt, head - half), alignCentre, baseText(7));
    if (r) {
        fitText(QRect(marksX, 0, 4 * c.mark, half), baseText(24), alignCentre);
        for (int k = 0; k < 4; ++k)
            text(QRect(marksX + k * c.mark, half, c.mark, head - half), alignCentre, QString::fromLatin1(markSigns[k]));
    } else {
        text(QRect(marksX, 0, c.group - c.pct - c.pkt, head), alignCentre, baseText(23));
    }
    p.drawLine(x, 0, x, tableBottom);
    p.drawLine(x + c.pct, half, x + c.pct, tableBottom);
    // Without a record the two-line text 23 takes the whole height of the marks' head.
    p.drawLine(marksX, r ? half : 0, marksX, tableBottom);
    if (r)
        for (int k = 1; k < 4; ++k)
            p.drawLine(marksX + k * c.mark, half, marksX + k * c.mark, tableBottom);
    p.drawLine(x, half, r ? x + c.group : marksX, half);
}

void ScoreSheetPainter::drawExerciseRow(const Columns& c, int i, int y, int row, const QList<Uebung>& exercises)
{
    const int slot = newRules ? i - 1 : i;
    const bool isExercise = slot >= 0 && slot < Wertung_t::exerciseCount;
    const bool valid = isExercise && slot < exercises.size() && exercises.at(slot).nr.isValid();
    qDebug("i=%d idx=%d valid=%d", i, slot, int(valid));
    if (isExercise) {
        useFont(valuePt, true);
        text(QRect(0, y, c.nr, row), alignCentre, QString::number(slot + 1));
    }
    double value = 0;
    if (valid) {
        const Uebung& u = exercises.at(slot);
        useFont(valuePt);
        text(QRect(c.nr, y, c.code, row), alignCentre, u.nr.text());
        fitText(QRect(c.textX() + indent, y, c.text - indent, row), u.text, alignLeft);
        value = u.ziffer;
        if (value != 0)
            text(QRect(c.valueX(), y, c.value, row), alignCentre, decimal(value, 1));
    }
    useFont(valuePt);
    const Wertung_t* first = records.isEmpty() ? nullptr : records.first();
    if (newRules && first && isExercise) {
        if (const int takt = tacticalOfRow(*first, slot + 1))
            text(QRect(c.taktX(), y, c.takt, row), alignCentre, points(takt));
    }
    for (int g = 0; g < c.groups && g < records.size(); ++g) {
        const Wertung_t& r = *records.at(g);
        const quint8* marks = marksOf(r, slot);
        const int x = c.groupX(g);
        if (const int pct = marks[percentIndex]) {
            const double base = value + (newRules && isExercise ? tacticalOfRow(r, slot + 1) / 100.0 : 0);
            text(QRect(x, y, c.pct, row), alignCentre, QString::number(pct));
            text(QRect(x + c.pct, y, c.pkt, row), alignCentre, decimal(pct * base / 100, 2));
        }
        for (int k = 0; k < 4; ++k)
            if (marks[k])
                text(QRect(c.marksX(g) + k * c.mark, y, c.mark, row), alignCentre, QString::number(marks[k]));
    }
}

void ScoreSheetPainter::drawUebungen(int w, int h, bool landscape)
{
    const int exerciseRows = newRules ? 32 : 28;
    const int sumRows = landscape ? 4 : 0;
    // The head takes two rows: its texts have two lines.
    const int rows = exerciseRows + 2 + sumRows;
    const int row = h / rows;
    const int head = 2 * row + h % rows;
    const int tableBottom = head + exerciseRows * row;
    const Columns c = tableColumns(w, landscape);

    QList<Uebung> exercises;
    sheet.getBogenUebungen(exercises);
    qDebug("print, got %d Uebungen", exercises.size());
    drawTableHead(c, head, !exercises.isEmpty());
    for (int g = 0; g < c.groups; ++g)
        drawGroupHead(c, g, head, row, tableBottom, landscape);
    for (int i = 0; i < exerciseRows; ++i) {
        p.drawLine(0, head + i * row, w, head + i * row);
        drawExerciseRow(c, i, head + i * row, row, exercises);
    }
    for (int x : { c.nr, c.textX(), c.taktX(), c.valueX() })
        p.drawLine(x, 0, x, tableBottom);
    if (landscape) {
        // Portrait tables lie in the page's frame; this one needs its own.
        p.drawLine(0, 0, w, 0);
        p.drawLine(0, 0, 0, tableBottom);
        p.drawLine(w, 0, w, tableBottom + sumRows * row);
    }
    usePen(thick);
    p.drawLine(0, tableBottom, w, tableBottom);
    usePen(thin);
    if (landscape)
        drawSumRows(c, tableBottom, row);
}

void ScoreSheetPainter::drawSumRows(const Columns& c, int tableBottom, int row)
{
    useFont(labelPt);
    for (int k = 0; k < 3; ++k)
        text(QRect(0, tableBottom + k * row, c.groupX(0) - indent, row), alignRight, baseText(37 + k));
    useFont(valuePt);
    for (int g = 0; g < c.groups && g < records.size(); ++g) {
        const Wertung_t& r = *records.at(g);
        const QRect cell(c.groupX(g) + indent, tableBottom, c.group - 2 * indent, row);
        for (int k = 0; k < 4; ++k) {
            const int x = c.marksX(g) + k * c.mark;
            if (const int total = markTotal(r, k))
                text(QRect(x, tableBottom, c.mark, row), alignCentre, QString::number(total));
            p.drawLine(x, tableBottom, x, tableBottom + row);
        }
        text(cell.translated(0, row), alignRight, points(int(r.deduction2)));
        if (const int sum = tacticalSum(r))
            text(cell.translated(0, 2 * row), alignCentre, points(sum));
        text(cell.translated(0, 2 * row), alignLeft, QString::fromLatin1(minutesText(r.ausgefahren)));
        text(cell.translated(0, 2 * row), alignRight, points(int(r.deduction1)));
        text(cell.translated(0, 3 * row), alignRight, points(resultOf(r)));
    }
    for (int g = 0; g < c.groups; ++g)
        p.drawLine(c.groupX(g), tableBottom, c.groupX(g), tableBottom + 4 * row);
    for (int k = 1; k <= 4; ++k)
        p.drawLine(c.groupX(0), tableBottom + k * row, c.groupX(c.groups), tableBottom + k * row);
}

void ScoreSheetPainter::drawWertung(int w, int h)
{
    const int row = h / 8;
    const int signW = w * 34 / 100;
    // The totals need no more than 40 %; the deductions take the rest, so that the
    // jury average fits beside its label.
    const int totalsW = w * 40 / 100;
    const int deductX = signW + totalsW;
    const int deductW = w - deductX;
    const Wertung_t* r = records.isEmpty() ? nullptr : records.first();
    const auto cell = [&](int x, int i, int width) { return QRect(x, i * row, width, row); };

    // Signatures.
    useFont(labelPt, false, true);
    text(cell(0, 0, signW), alignCentre, baseText(25));
    text(cell(0, 2, signW), alignCentre, baseText(26));
    p.drawLine(signW * 5 / 100, 2 * row, signW * 95 / 100, 2 * row);
    usePen(thick);
    p.drawLine(0, 3 * row, signW, 3 * row);
    usePen(thin);
    const char* judges[3] = { r ? r->announcer : nullptr, r ? r->scribe : nullptr, r ? r->chief : nullptr };
    for (int k = 0; k < 3; ++k) {
        const QRect c = cell(0, 3 + k, signW);
        useFont(labelPt);
        text(c, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral(" ") + baseText(27 + k));
        p.drawLine(0, c.bottom(), signW, c.bottom());
        if (judges[k]) {
            QString name;
            fromCString(name, judges[k], Wertung_t::nameSize);
            useFont(valuePt);
            text(QRect(signW * 30 / 100, c.top(), signW * 70 / 100, row), alignLeft, name);
        }
    }
    p.drawLine(signW, 0, signW, h);
    p.drawLine(deductX, 0, deductX, h);

    // Totals: label and value of each row.
    const Starter_t* starter = sheet.getStarter();
    const int base = ReglementDB::getGrundpunktzahl(sheet.getReglementDB()) * 100;
    const int given = starter->given;
    const auto total = [&](int i, const QString& label, bool bold, const QString& value) {
        useFont(labelPt, bold);
        text(cell(signW + indent, i, totalsW * 2 / 3), alignLeft, label);
        useFont(valuePt, bold);
        text(cell(signW, i, totalsW - indent), alignRight, value);
        p.drawLine(signW, (i + 1) * row, deductX, (i + 1) * row);
    };
    QString difficulty = given > 0 ? decimal((given - base) / 100.0, 2) : QString();
    total(0, baseText(30), true, difficulty);
    const int tactical = r ? tacticalSum(*r) : 0;
    if (newRules) {
        total(1, baseText(31), false, r ? points(tactical) : QString());
        total(2, baseText(32), true, r ? points(given + tactical) : QString());
    } else {
        // The base score this sheet actually adds: none without a catalogue.
        total(1, QStringLiteral(" + Grundpunktzahl:"), false, points(base));
        total(2, baseText(32), true, kopf.aufgestellt);
    }
    total(3, baseText(40), false, r ? QStringLiteral("  - ") + points(int(r->totalDeduction())) : QString());
    const int result = r ? given + (newRules ? tactical : 0) - int(r->totalDeduction()) : 0;
    total(4, baseText(33), true, r ? points(result) : QString());

    // Juries: the second and third record of the same start.
    int sum = r ? resultOf(*r) : 0;
    int juries = r ? 1 : 0;
    for (int j = 2; j <= 3; ++j) {
        const Wertung_t* other = r && r->judge == 1 && records.size() >= j ? records.at(j - 1) : nullptr;
        const bool same = other && other->judge == j && other->competitionId == r->competitionId
            && other->startNumber == r->startNumber;
        total(3 + j, baseText(32 + j), false, same ? points(resultOf(*other)) : QString());
        if (same) {
            sum += resultOf(*other);
            ++juries;
        }
    }
    total(7, baseText(36), false, r ? points(sum) : QString());
    useFont(labelPt);
    text(cell(deductX + indent, 7, deductW / 2), alignLeft, baseText(41));
    if (juries > 1) {
        useFont(valuePt, true);
        text(cell(deductX + indent, 7, deductW - 2 * indent), alignRight,
             points((sum + 1) / juries) + QStringLiteral(" ") + baseText(42));
    }

    // Marks and deductions.
    for (int k = 0; k < 4; ++k) {
        useFont(labelPt);
        text(cell(deductX + indent, k, deductW / 2), alignLeft, QString::fromLatin1(markLabels[k]));
        if (r) {
            const int count = markTotal(*r, k);
            useFont(valuePt);
            text(cell(deductX + indent, k, deductW / 2), alignRight, QString::number(count));
            text(cell(deductX + deductW / 2, k, deductW / 2 - indent), alignRight, points(count * markDeduction[k]));
        }
        p.drawLine(deductX, (k + 1) * row, w, (k + 1) * row);
    }
    for (int k = 0; k < 2; ++k) {
        useFont(labelPt);
        text(cell(deductX + indent, 5 + k, deductW - 2 * indent), alignLeft, baseText(37 + k));
        if (r) {
            useFont(valuePt);
            text(cell(deductX + indent, 5 + k, deductW - 2 * indent), alignRight,
                 points(int(k == 0 ? r->deduction1 : r->deduction2)));
        }
    }
}

#include "clipboard/RtfReader.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace {

QString read(const QByteArray& rtf) {
    const auto text = RtfReader::plainText(rtf);
    EXPECT_TRUE(text.has_value()) << rtf.left(200).toStdString();
    return text.value_or(QStringLiteral("<failed>"));
}

// The shape LibreOffice Writer puts on the clipboard: font and colour tables, a stylesheet,
// generator and info groups, \uN with one fallback byte, list text and a hyperlink field.
const QByteArray libreOffice = R"({\rtf1\ansi\deff4\adeflang1025
{\fonttbl{\f0\froman\fprq2\fcharset0 Times New Roman;}{\f1\froman\fprq2\fcharset2 Symbol;}{\f2\fswiss\fprq2\fcharset0 Arial;}{\f3\froman\fprq2\fcharset0 Liberation Serif{\*\falt Times New Roman};}{\f4\fnil\fprq2\fcharset0 Noto Sans CJK SC;}}
{\colortbl;\red0\green0\blue0;\red0\green0\blue255;\red0\green0\blue128;}
{\stylesheet{\s0\snext0\hich\af6\dbch\af4\loch\f3\fs24\lang2057 Normal;}
{\*\cs15\snext15\cf3\ul\ulc0\langfe255\alang255\lang255 Internet Link;}
}{\*\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}{\info{\creatim\yr2024\mo3\dy5\hr10\min2}{\revtim\yr2024\mo3\dy5\hr10\min4}{\printim\yr0\mo0\dy0\hr0\min0}}{\*\userprops}\deftab709
\hyphauto1\viewscale100
{\*\pgdsctbl
{\pgdsc0\pgdscuse451\pgwsxn11906\pghsxn16838\marglsxn1134\margrsxn1134\margtsxn1134\margbsxn1134\pgdscnxt0 Default Page Style;}}
\formshade{\*\pgdscno0}\paperh16838\paperw11906\margl1134\margr1134\margt1134\margb1134\sectd\sbknone\pgndec\sftnnar\saftnnrlc\sectunlocked1\pgwsxn11906\pghsxn16838\marglsxn1134\margrsxn1134\margtsxn1134\margbsxn1134\ftnbj\ftnstart1\ftnrstcont\ftnnar\aenddoc\aftnrstcont\aftnstart1\aftnnrlc
{\*\ftnsep\chftnsep}\pgndec\pard\plain \s0\widctlpar\hich\af6\dbch\af4\loch\f3\fs24\lang2057{\rtlch \ltrch\loch
Caf\u233\'e9 cr\u232\'e8me \u8211\'96 na\u239\'efve }{\b\rtlch \ltrch\loch bold}{\rtlch \ltrch\loch  and }{\i\rtlch \ltrch\loch italic}
\par \pard\plain \s0\widctlpar\hich\af6\dbch\af4\loch\f3\fs24\lang2057{\listtext\pard\plain \u8226\'95\tab}\ilvl0\ls1 {\rtlch \ltrch\loch Point one}
\par \pard\plain \s0{\field{\*\fldinst HYPERLINK "https://example.org/" }{\fldrslt {\cf3\ul\ulc0\rtlch \ltrch\loch Link text}}}{\rtlch \ltrch\loch  \u20013\'3f\u25991\'3f}
\par }
)";

// The shape word processors of the Word family emit: \ansicpg1252, \uc1, a theme and
// latent-style tables, rsid tables, nested formatting groups, \'hh for non-ASCII characters
// and a picture.
const QByteArray wordLike =
    R"({\rtf1\adeflang1025\ansi\ansicpg1252\uc1\adeff31507\deff0\stshfdbch31505\stshfloch31506\stshfhich31506\stshfbi31507\deflang1033\deflangfe1033\themelang1033\themelangfe0\themelangcs0{\fonttbl{\f0\fbidi \froman\fcharset0\fprq2{\*\panose 02020603050405020304}Times New Roman;}{\f34\fbidi \froman\fcharset0\fprq2{\*\panose 02040503050406030204}Cambria Math;}
{\f37\fbidi \fswiss\fcharset0\fprq2{\*\panose 020f0502020204030204}Calibri;}{\f40\fbidi \fswiss\fcharset204\fprq2 Calibri Cyr;}}{\colortbl;\red0\green0\blue0;\red0\green0\blue255;\red0\green255\blue255;}{\*\defchp \f31506\fs22 }{\*\defpap \ql \li0\ri0\sa160\sl259\slmult1
\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 }\noqfpromote {\stylesheet{\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0 \rtlch\fcs1 \af31507\afs22\alang1025 \ltrch\fcs0
\f31506\fs22\lang1033\langfe1033\cgrid\langnp1033\langfenp1033 \snext0 \sqformat \spriority0 Normal;}}{\*\rsidtbl \rsid1512345\rsid4535421}{\mmathPr\mmathFont34\mbrkBin0\mbrkBinSub0\msmallFrac0\mdispDef1\mlMargin0\mrMargin0\mdefJc1\mwrapIndent1440\mintLim0\mnaryLim1}{\*\xmlnstbl {\xmlns1 http://schemas.microsoft.com/office/word/2003/wordml}}
\paperw12240\paperh15840\margl1440\margr1440\margt1440\margb1440\gutter0\ltrsect
\pard\plain \ltrpar\ql \li0\ri0\sa160\sl259\slmult1\widctlpar\wrapdefault\aspalpha\aspnum\faauto\adjustright\rin0\lin0\itap0\pararsid4535421 \rtlch\fcs1 \af31507\afs22\alang1025 \ltrch\fcs0 \f31506\fs22\lang1033\langfe1033\cgrid\langnp1033\langfenp1033 {\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid4535421 The }{\rtlch\fcs1 \ab\af31507 \ltrch\fcs0 \b\insrsid4535421 quick}{\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid4535421  na\'efve fox\'92s \'93jump\'94 \endash  {\i over}\emdash  \u8364\'80 5}{\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid4535421
\par }{\f40 \'cf\'f0\'e8\'e2\'e5\'f2}{\*\shppict{\pict{\*\picprop}\wmetafile8\picw10\pich10 0100090000035000000000002700000000000400000003010800050000000b0200000000}}{\nonshppict{\pict\picw10\pich10\bin4 {}{}}}{\rtlch\fcs1 \af31507 \ltrch\fcs0 \insrsid4535421 \line second line\tab tabbed\par }{\*\themedata 504b030414000600080000002100e9de0fbfff0000001c020000130000005b436f6e74656e745f54797065735d2e786d6cac91cb4ec3301045f748fc83e52d4a}
{\*\latentstyles\lsdstimax376\lsdlockeddef0\lsdsemihiddendef0{\lsdlockedexcept \lsdqformat1 \lsdpriority0 \lsdlocked0 Normal;}}{\*\datastore 0105000002000000180000004d73786d6c322e534158584d4c5265616465722e362e30}}
)";

} // namespace

TEST(RtfReader, LibreOfficeDocumentReadsAsItsVisibleText) {
    EXPECT_EQ(read(libreOffice),
              QStringLiteral("Caf\u00e9 cr\u00e8me \u2013 na\u00efve bold and italic\n"
                             "\u2022\tPoint one\n"
                             "Link text \u4e2d\u6587\n"));
}

TEST(RtfReader, WordDocumentReadsAsItsVisibleText) {
    EXPECT_EQ(read(wordLike), QStringLiteral("The quick na\u00efve fox\u2019s \u201cjump\u201d "
                                             "\u2013 over\u2014 \u20ac 5\n"
                                             "\u041f\u0440\u0438\u0432\u0435\u0442"
                                             "\nsecond line\ttabbed\n"));
}

TEST(RtfReader, MacRomanAndDoubleByteCodePagesDecode) {
    EXPECT_EQ(read("{\\rtf1\\mac Caf\\'8e}"), QStringLiteral("Caf\u00e9"));
    // Shift_JIS needs both bytes of a character together.
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b}"),
              QStringLiteral("\u65e5\u672c"));
    EXPECT_EQ(read("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0}"), QStringLiteral("\u041f\u0440"));
}

TEST(RtfReader, UnicodeEscapesSkipTheirFallbackAsUcSays) {
    EXPECT_EQ(read("{\\rtf1\\uc2 \\u8364 EU x}"), QStringLiteral("\u20ac x"));
    EXPECT_EQ(read("{\\rtf1\\uc0 \\u8364 x}"), QStringLiteral("\u20acx"));
    // A \'hh escape is one fallback character; a brace ends the fallback early.
    EXPECT_EQ(read("{\\rtf1\\uc1\\u233\\'e9t{\\u233}x}"), QStringLiteral("\u00e9t\u00e9x"));
    // \uc set inside a group ends with the group.
    EXPECT_EQ(read("{\\rtf1{\\uc3 \\u233 abc}\\u233 de}"), QStringLiteral("\u00e9\u00e9e"));
    // Characters beyond the BMP arrive as two negative-numbered halves.
    EXPECT_EQ(read("{\\rtf1\\u-10179?\\u-8704?}"), QStringLiteral("\U0001F600"));
}

TEST(RtfReader, ControlSymbolsAndLiteralBreaks) {
    EXPECT_EQ(read("{\\rtf1 a\\{b\\}c\\\\d\\~e\\-f\\_g}"),
              QStringLiteral("a{b}c\\d\u00a0ef\u2011g"));
    // Line breaks in the source are not text; an escaped one is a paragraph.
    EXPECT_EQ(read("{\\rtf1 one\r\ntwo\\\nthree}"), QStringLiteral("onetwo\nthree"));
    EXPECT_EQ(read("  \r\n{\\rtf1 lead}trailing junk\n"), QStringLiteral("lead"));
}

TEST(RtfReader, IgnorableDestinationsAndBinaryDataAreSkipped) {
    EXPECT_EQ(read("{\\rtf1 a{\\*\\unknowndest secret {\\b nested}}b}"), QStringLiteral("ab"));
    EXPECT_EQ(read("{\\rtf1 a{\\pict\\bin5 }}{x}}b}"), QStringLiteral("ab"));
    EXPECT_EQ(read("{\\rtf1 a{\\header page head}{\\footnote note}b}"), QStringLiteral("ab"));
}

TEST(RtfReader, MalformedDocumentsFail) {
    for (const QByteArray& bad :
         {QByteArray(), QByteArray("plain text"), QByteArray("{\\rtf"),
          QByteArray("{\\rtf1 unclosed"), QByteArray("{\\rtf1 {nested}"),
          QByteArray("{\\rtf1 dangling\\"), QByteArray("{\\rtf1 x\\bin999 ab}"),
          QByteArray("{\\rtf1 x\\bin-3 ab}"), QByteArray("{\\html1 x}"),
          QByteArray("\xef\xbb\xbf{\\rtf1 bom}")}) {
        EXPECT_FALSE(RtfReader::plainText(bad).has_value()) << bad.toStdString();
    }
}

TEST(RtfReader, OddButHarmlessInputStillReads) {
    EXPECT_EQ(read("{\\rtf1 \\'zz ok}"), QStringLiteral("zz ok"));
    EXPECT_EQ(read("{\\rtf1 \\u99999999999999 ?x}"), QStringLiteral("x"));
    EXPECT_EQ(read(QByteArray("{\\rtf1 \\") + QByteArray(100, 'a') + " word}"),
              QStringLiteral("word"));
    EXPECT_EQ(read(QByteArray("{\\rtf1 a\0b}", 11)), QStringLiteral("ab"));
}

TEST(RtfReader, HundredThousandNestedGroupsNeitherOverflowNorHang) {
    const int depth = 100000;
    QByteArray deep = "{\\rtf1 ";
    for (int i = 0; i < depth; ++i) {
        // Every level differs from its parent, so none can be folded into another.
        deep += (i % 2 == 0) ? "{\\uc0 " : "{\\uc1 ";
    }
    deep += "core";
    deep += QByteArray(depth, '}');
    deep += '}';
    EXPECT_EQ(read(deep), QStringLiteral("core"));

    QByteArray braces = "{\\rtf1 " + QByteArray(depth, '{') + "x" + QByteArray(depth, '}') + "}";
    EXPECT_EQ(read(braces), QStringLiteral("x"));
    // Unclosed at that depth is simply truncated.
    EXPECT_FALSE(RtfReader::plainText("{\\rtf1 " + QByteArray(depth, '{')).has_value());
}

// The PostScript procedures every EPS picture starts with after its
// bounding box: Bond, Atom, Triangle and the text placements.
#include "export/eps_prolog.h"

const char eps_prolog_before_level[] = R"(50 dict begin
/languagelevel where {
  pop languagelevel 3 ge {
    /islevel3 true def
  } {
    /islevel3 false def
  } ifelse
} {
  /islevel3 false def
} ifelse
%--- start configure
)";

const char eps_prolog_after_level[] = R"(/bondwidth 0.150 def
/notzero 0.000100 def
/fs 0.200 def
/RedColor   { 1.0 0.0 0.0 } def
/GreenColor { 0.0 1.0 0.0 } def
/BlueColor  { 0.0 0.0 1.0 } def
%--- end configure
/Helvetica findfont fs scalefont setfont
/Bond {
  /dodash exch def
  /slant exch def
  /y2 exch def
  /x2 exch def
  /y1 exch def
  /x1 exch def
  gsave x1 y1 translate
    dodash { [0.07 0.10] 0 setdash } if
    x2 x1 neg add
    y2 y1 neg add
    atan neg rotate
    /dist x2 x1 neg add dup mul y2 y1 neg add dup mul add sqrt def
    90 -1 1 {
      /angle exch def
      /w angle sin bondwidth mul def
      /s angle cos def
      /y bondwidth notzero add dup mul w dup mul neg add sqrt neg 0.15 add slant mul 0.5 mul def
      s setgray
      w setlinewidth
      0 y moveto 0 dist lineto stroke
    } for
  grestore
} def
/Atom {
  /blue exch def
  /green exch def
  /red exch def
  /radius exch def
  gsave translate
    90 -1 1 {
      /angle exch def
      /r angle sin radius mul def
      /s angle cos def
      red s mul green s mul blue s mul setrgbcolor
      newpath
      0 0 r 0 360 arc
      closepath fill
    } for
  grestore
} def
islevel3 {
  /Triangle {
    /blue exch def
    /green exch def
    /red exch def
    /s3 exch def
    /s2 exch def
    /s1 exch def
    /y3 exch def
    /x3 exch def
    /y2 exch def
    /x2 exch def
    /y1 exch def
    /x1 exch def
    /r1 red s1 mul def
    /r2 red s2 mul def
    /r3 red s3 mul def
    /g1 green s1 mul def
    /g2 green s2 mul def
    /g3 green s3 mul def
    /b1 blue s1 mul def
    /b2 blue s2 mul def
    /b3 blue s3 mul def
    gsave
      /DeviceRGB setcolorspace
      <<
        /ShadingType 4
        /ColorSpace [/DeviceRGB]
        /DataSource [ 0 x1 y1 r1 g1 b1
                      0 x2 y2 r2 g2 b2
                      0 x3 y3 r3 g3 b3 ]
      >>
      shfill
    grestore
  } def
} {
  /Triangle {
    /blue exch def
    /green exch def
    /red exch def
    add add 0.333 mul
    /s exch def
    red s mul green s mul blue s mul setrgbcolor
    moveto lineto lineto
    closepath fill
  } def
} ifelse
/TextCM {
  /str exch def
  gsave translate
    0 setgray
    0 0 moveto str stringwidth pop -0.5 mul fs -0.35 mul rmoveto str show
  grestore
} def
/TextLM {
  /str exch def
  gsave translate
    0 setgray
    0 0 moveto 0 fs -0.35 mul rmoveto str show
  grestore
} def
/TextRM {
  /str exch def
  gsave translate
    0 setgray
    0 0 moveto str stringwidth pop neg fs -0.35 mul rmoveto str show
  grestore
} def
/TextCT {
  /str exch def
  gsave translate
    0 setgray
    0 0 moveto str stringwidth pop -0.5 mul fs -0.70 mul rmoveto str show
  grestore
} def
/TextLT {
  /str exch def
  gsave translate
    0 setgray
    0 0 moveto 0 fs -0.70 mul rmoveto str show
  grestore
} def
/TextRT {
  /str exch def
  gsave translate
    0 setgray
    0 0 moveto str stringwidth pop neg fs -0.70 mul rmoveto str show
  grestore
} def
/TextCB {
  /str exch def
  gsave translate
    0 setgray
    0 0 moveto str stringwidth pop -0.5 mul 0 rmoveto str show
  grestore
} def
/TextLB {
  /str exch def
  gsave translate
    0 setgray
    0 0 moveto str show
  grestore
} def
/TextRB {
  /str exch def
  gsave translate
    0 setgray
    0 0 moveto str stringwidth pop neg 0 rmoveto str show
  grestore
} def
)";

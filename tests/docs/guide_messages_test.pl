#!/usr/bin/perl
# Every text the program can put in front of a technician must be explained
# in the guide that ships with it: the titles and texts of its boxes, the
# lines of its usage and the status line under the hourglass. A message
# added to the program and not to the guide fails here.
#
#   perl guide_messages_test.pl REPOSITORY [GUIDE]   (GUIDE: docs/guia/LEEME.txt)
#
# Texts come from the sources, read as C++ tokens (comments dropped, string
# literals decoded):
#   - the literals in the arguments of every Tell, Ask and their wrappers;
#     a kName constant or a function called there is followed to its
#     definition, and the literals there count too;
#   - the texts a box gets from elsewhere (a member such as message.text),
#     listed in kIndirect below: a new source of that kind goes in the list.
# A text is built by concatenation, so what is checked is each literal
# fragment, cut where the box breaks its line ("\r" or "\n"), with its ends
# trimmed and every run of white space read as one space (the guide wraps a
# long line, indents a box's lines and may show a line on its own).
# Fragments with fewer than three letters or digits (":(", "' en", " de ")
# say nothing on their own and are not checked. Inside the functions
# followed, what goes to the logs (AppendDebugLine, Note, the shared logs'
# records) and a failure's "where" (Status::Fail's second argument) is not
# shown in a box and is left out.
use strict;
use warnings;
use File::Find;

my ($root, $guidePath) = @ARGV;
die "usage: $0 REPOSITORY [GUIDE]\n" unless defined $root && -d "$root/src";
$guidePath //= "$root/docs/guia/LEEME.txt";

# Box texts that reach Tell or Ask through a value: file, symbol (a function
# or a constant), and for a table the pattern its shown fields match.
my @kIndirect = (
    ['src/ui/main_model.cpp',          'kSpanish'],      # the hot-key questions
    ['src/ui/main_model.cpp',          'kPortuguese'],
    ['src/ui/main_model.cpp',          'kEnglish'],
    ['src/dbmaint/db_repair.cpp',      'kSpanish'],      # the duplicates box
    ['src/dbmaint/db_repair.cpp',      'kPortuguese'],
    ['src/dbmaint/db_repair.cpp',      'kEnglish'],
    ['src/dbmaint/database_kinds.h',   'kKinds', qr/ OK!$|^ERROR en |^Error .* :\($/],  # result lines
    ['src/dbmaint/run_lock.cpp',       'BusyMessage'],   # another run holds Corvane.run
    ['src/dbmaint/run_lock.cpp',       'TakeRunLock'],
    ['src/dbmaint/restore_backup.cpp', 'CheckBackupFile'],  # a restore's refusals and failures
    ['src/dbmaint/restore_backup.cpp', 'CheckBackupKind'],
    ['src/dbmaint/restore_backup.cpp', 'Steps'],
    ['src/dbmaint/restore_backup.cpp', 'NameAndPrune'],
    ['src/dbmaint/safe_swap.cpp',      'RemoveStaleTemp'],   # the swap's own failures, in both callers' boxes
    ['src/dbmaint/safe_swap.cpp',      'Room'],
    ['src/dbmaint/restore_backup.cpp', 'Failed'],
    ['src/dbmaint/restore_backup.cpp', 'RestoreBackup'],
    ['src/app/command_line.cpp',       'UsageLines'],    # the usage, in a box without a console
    ['src/dbmaint/run_status.cpp',     'StatusLine'],    # the line under the hourglass
    ['src/dbmaint/run_status.cpp',     'Doing'],
);
my @kCalls = qw(Tell Ask Say AskDeveloper);
my @kNotShown = qw(AppendDebugLine Note SharedLogs ToErrorLog ToTlFile Record snprintf);

my $failures = 0;
sub problem { print "FAIL: $_[0]\n"; $failures++; }

# --- the sources as tokens -------------------------------------------------

my %code;      # file => its text with comments gone and each literal as @S<n>@
my @literals;  # n => the literal's value (UTF-8 decoded)

sub unescape {
    my ($body) = @_;
    my %simple = (r => "\r", n => "\n", t => "\t", '\\' => '\\', '"' => '"', "'" => "'", '0' => "\0");
    $body =~ s/\\x([0-9A-Fa-f]{1,2})|\\(.)/defined $1 ? chr(hex $1) : ($simple{$2} \/\/ $2)/ge;
    return $body;
}

sub tokenise {
    my ($text) = @_;
    my $out = '';
    while (length $text) {
        if ($text =~ s{\A//[^\n]*}{}) { next; }
        if ($text =~ s{\A/\*.*?\*/}{}s) { $out .= ' '; next; }
        if ($text =~ s{\A"((?:[^"\\\n]|\\.)*)"}{}s) {
            my $value = unescape($1);
            utf8::decode($value);
            push @literals, $value;
            $out .= '@S' . $#literals . '@';
            next;
        }
        if ($text =~ s{\A'(?:[^'\\\n]|\\.)*'}{}s) { $out .= "'c'"; next; }
        $text =~ s{\A([^"'/]+|.)}{}s;
        $out .= $1;
    }
    # Literals side by side are one literal, as the compiler joins them.
    1 while $out =~ s{\@S(\d+)\@(\s*)\@S(\d+)\@}{ $literals[$1] .= $literals[$3]; "\@S$1\@" }e;
    return $out;
}

find(sub {
    return unless /\.(?:cpp|h)$/;
    open my $in, '<:raw', $_ or die "$File::Find::name: $!\n";
    local $/;
    my $relative = $File::Find::name =~ s{^\Q$root\E/}{}r;
    $code{$relative} = tokenise(<$in>);
}, "$root/src");

# The text between the parenthesis (or brace) at $start and its match.
sub balanced {
    my ($text, $start) = @_;
    my ($open, $close) = substr($text, $start, 1) eq '{' ? ('{', '}') : ('(', ')');
    my $depth = 0;
    for (my $i = $start; $i < length $text; ++$i) {
        my $c = substr($text, $i, 1);
        ++$depth if $c eq $open;
        --$depth if $c eq $close;
        return substr($text, $start + 1, $i - $start - 1) if $depth == 0;
    }
    return substr($text, $start + 1);
}

# A definition's text: a function's body, or a constant's initialiser.
sub definition {
    my ($file, $symbol) = @_;
    my $text = $code{$file} // return;
    while ($text =~ /\b\Q$symbol\E\b/g) {
        my $after = pos $text;
        my $rest = substr $text, $after;
        if ($rest =~ /\A\s*(\()/) {
            # A function: its parameter list, then (after any qualifiers) its body.
            my $open = $after + $-[1];
            my $params = balanced($text, $open);
            my $tail = substr $text, $open + length($params) + 2;
            next unless $tail =~ /\A\s*(?:const\s*)?(?:override\s*)?(?::[^{;]*)?(\{)/;
            return balanced($text, $open + length($params) + 2 + $-[1]);
        }
        if ($rest =~ /\A\s*=\s*([^;]*);/) { return $1; }
        if ($rest =~ /\A\s*(\{)/) { return balanced($text, $after + $-[1]); }
    }
    return;
}

# This piece of code without the calls that only feed the logs.
sub shown_code {
    my ($text) = @_;
    for my $call (@kNotShown) {
        while ($text =~ /\b\Q$call\E\s*\(/g) {
            my $open = pos($text) - 1;
            my $inside = balanced($text, $open);
            substr($text, $open, length($inside) + 2) = '()';
            pos($text) = $open + 2;
        }
    }
    $text =~ s/(Status::Fail\s*\([^,]*,\s*)\@S\d+\@/$1/g;
    return $text;
}

# What a box may show of it: its literals there. One that holds a control
# character other than a line break (a file's signature) is data, not text.
sub shown_literals {
    return grep { !/[\x00-\x09\x0B\x0C\x0E-\x1F]/ } map { $literals[$_] } shown_code($_[0]) =~ /\@S(\d+)\@/g;
}

my %texts;  # fragment => where it comes from
sub add_text {
    my ($value, $where) = @_;
    for my $piece (split /[\r\n]/, $value) {
        $piece =~ s/\s+/ /g;
        $piece =~ s/^ | $//g;
        my $letters = () = $piece =~ /[[:alnum:]]/g;
        next if $letters < 3;
        $texts{$piece} //= $where;
    }
}

# Each constant and function followed once, wherever it is defined (the
# same file first). Functions are followed one call deep, and never into
# platform/: what a box shows of a failure's system text is the system's.
my %followed;
sub follow {
    my ($file, $symbol, $where) = @_;
    return if $followed{"$file:$symbol"}++;
    my @files = grep { !m{^src/platform/} } (exists $code{$file} ? ($file) : (), sort keys %code);
    for my $candidate (@files) {
        my $body = definition($candidate, $symbol) // next;
        add_text($_, "$where ($symbol)") for shown_literals($body);
        follow_names($candidate, shown_code($body), $where, 0);
        return;
    }
}

sub follow_names {
    my ($file, $text, $where, $functions) = @_;
    follow($file, $1, $where) while $text =~ /\b(k[A-Z]\w*)\b(?!\s*\()/g;
    return unless $functions;
    while ($text =~ /\b([A-Z]\w*)\s*\(/g) {
        my $name = $1;
        next if grep { $_ eq $name } @kCalls, @kNotShown;
        follow($file, $name, $where);
    }
}

# --- the call sites --------------------------------------------------------

my $callPattern = join '|', @kCalls;
my $sites = 0;
for my $file (sort keys %code) {
    my $text = $code{$file};
    while ($text =~ /(\w+\s+)?\b($callPattern)\s*\(/g) {
        my ($before, $call) = ($1 // '', $2);
        my $open = pos($text) - 1;
        pos($text) = $open + 1;
        # The wrappers' own definitions are not calls.
        next if $before =~ /^(?:void|Answer|bool|auto)\s/;
        my $arguments = balanced($text, $open);
        my $line = 1 + (() = substr($text, 0, $open) =~ /\n/g);
        ++$sites;
        add_text($_, "$file:$line") for shown_literals($arguments);
        follow_names($file, shown_code($arguments), "$file:$line", 1);
    }
}
problem("no call of " . join(', ', @kCalls) . " found under $root/src") if $sites == 0;

for my $source (@kIndirect) {
    my ($file, $symbol, $fields) = @$source;
    my $body = definition($file, $symbol);
    unless (defined $body) {
        problem("$file no longer defines $symbol: the list of box texts in $0 needs its new place");
        next;
    }
    my @values = shown_literals($body);
    @values = grep { /$fields/ } @values if $fields;
    problem("$file:$symbol yields no text: the list of box texts in $0 needs its new place") unless @values;
    add_text($_, "$file ($symbol)") for @values;
    follow_names($file, shown_code($body), "$file ($symbol)", 0) unless $fields;
}

# --- the guide -------------------------------------------------------------

open my $in, '<:raw', $guidePath or die "$guidePath: $!\n";
my $guide = do { local $/; <$in> };
$guide =~ s/^\xEF\xBB\xBF//;
utf8::decode($guide);
my @guideLines = split /\r?\n/, $guide;
$guide =~ s/\s+/ /g;

my $checked = 0;
for my $piece (sort keys %texts) {
    ++$checked;
    next if index($guide, $piece) >= 0;
    my $shown = $piece;
    utf8::encode($shown);
    problem("not in $guidePath: \"$shown\" (from $texts{$piece})");
}
print "$checked texts from $sites call sites checked against $guidePath, $failures missing\n";

# --- the morning after -----------------------------------------------------
# The technician reads the night's end in Corvane.log and looks it up in the
# guide's morning-after table: every exit code the unattended run can end
# with has its row there, opening with the code and the end record exactly
# as the program writes it, and so has a log with no end record at all.
# Each row says what to do.

my %codes;  # kExit name => number
my $exitHeader = $code{'src/app/program.h'} // '';
$codes{$1} = $2 while $exitHeader =~ /\b(kExit\w+)\s*=\s*(\d+)/g;
my $endRecord = definition('src/dbmaint/unattended_run.cpp', 'ExitText') // '';
my %meanings;  # number => what the end record says
while ($endRecord =~ /case\s+(kExit\w+)\s*:\s*meaning\s*=\s*\@S(\d+)\@/g) {
    $meanings{$codes{$1}} = $literals[$2] if defined $codes{$1};
}
problem("src/app/program.h and src/dbmaint/unattended_run: no exit codes and end records found; $0 needs their new place")
    unless %codes && keys %meanings == keys %codes;

# The section whose numbered heading names the morning after, up to the next
# numbered heading (each heading is underlined with dashes).
my ($from, $to);
for my $i (0 .. $#guideLines - 1) {
    next unless $guideLines[$i] =~ /^\d+\.\s/ && $guideLines[$i + 1] =~ /^-{5,}\s*$/;
    if (defined $from) { $to = $i; last; }
    $from = $i + 2 if $guideLines[$i] =~ /MA\x{D1}ANA SIGUIENTE|MORNING AFTER/;
}
my @section = defined $from ? @guideLines[$from .. ($to // scalar @guideLines) - 1] : ();
problem("$guidePath has no numbered morning-after section (LA MA\xC3\x91ANA SIGUIENTE / THE MORNING AFTER)") unless @section;

# Rows open at the left margin of the table: a code and its quoted end
# record, or "-" and a note in brackets naming the missing "Fin".
my %rows;  # key => the row's lines
my $row;
for my $line (@section) {
    if ($line =~ /^\s{0,4}(\d+)\s+"(Fin: [^"]*)"/) {
        $row = "code $1";
        push @{$rows{$row}}, $line;
        my $expected = defined $meanings{$1} ? "Fin: $meanings{$1} (codigo de salida $1)" : undef;
        problem("$guidePath: the morning-after row of code $1 quotes \"$2\", the program writes \"" .
                ($expected // 'no such code') . "\"") unless defined $expected && $2 eq $expected;
        next;
    }
    if ($line =~ /^\s{0,4}-\s+\(.*"Fin"/) { $row = 'no end'; push @{$rows{$row}}, $line; next; }
    push @{$rows{$row}}, $line if defined $row && $line =~ /\S/;
}
for my $key ((map { "code $_" } sort { $a <=> $b } values %codes), 'no end') {
    my $lines = $rows{$key};
    unless ($lines) { problem("$guidePath: the morning-after table has no row for $key"); next; }
    problem("$guidePath: the morning-after row for $key says nothing to do (\"Qu\xC3\xA9 hacer:\" / \"What to do:\")")
        unless grep { /Qu\x{E9} hacer:|What to do:/ } @$lines;
}

# --- the files the program writes --------------------------------------------
# A technician meets these names in the shared folder and the program's
# folder, and the guide must tell what each is and whether it may go. The
# names are read from the sources, so a file renamed in the program and not
# in the guide fails here.
my @kWrittenFiles = (
    ['src/app/run_log.cpp',             qr/^Corvane\.log$/],
    ['src/dbmaint/run_lock.h',          qr/^Corvane\.run$/],
    ['src/dbmaint/shared_logs.cpp',     qr/^Errors\.txt$|^TL$|^ TL\.txt$/],
    ['src/dbmaint/kept_generations.h',  qr/^_Reemplazadas$/],
    ['src/dbmaint/kept_generations.cpp', qr/^\.nueva$/],
    ['src/dbmaint/restore_backup.cpp',  qr/^Corvane restaurando $|^\.tmp$/],
    ['src/dbmaint/database_kinds.h',    qr/^\\\w+C\.mdb$/],     # each kind's compaction file
    ['src/app/debug_log.h',             qr/^Corvane\.deb$/],
    ['src/app/language_store.h',        qr/^Corvane\.lng$/],
);
my $files = 0;
for my $source (@kWrittenFiles) {
    my ($file, $pattern) = @$source;
    my %names;
    my $text = $code{$file} // '';
    $names{$literals[$1]} = 1 while $text =~ /\@S(\d+)\@/g;
    my @names = grep { /$pattern/ } sort keys %names;
    problem("$file writes none of the files $pattern: the list of written files in $0 needs its new place")
        unless @names;
    for my $name (@names) {
        (my $shown = $name) =~ s/^[\s\\]+|\s+$//g;
        ++$files;
        problem("not in $guidePath: the file name \"$shown\" (from $file)")
            unless $guide =~ /(?<![[:alnum:]_])\Q$shown\E(?![[:alnum:]_])/;
    }
}
print "morning-after rows of ", scalar(keys %codes), " exit codes and $files written file names checked\n";
exit($failures ? 1 : 0);

-- Neovim as the language server's client: starts `sizgen --lsp` with
-- Neovim's own LSP client (the API of Neovim 0.7), opens decks, checks the
-- diagnostics it shows (lines and byte columns from 0, as Neovim keeps
-- them: a deck's column N is byte column N - 1), edits a deck and checks
-- that they follow, asks for a hover, applies a quick fix, formats a
-- deck, then shuts the server down and checks its status.
-- Environment: SIZGEN (the program), SIZGEN_TEST_DATA (tests/), SCRATCH
-- (a directory to write decks in).  Exits with status 0 when all holds.

local sizgen = os.getenv('SIZGEN')
local data = os.getenv('SIZGEN_TEST_DATA')
local scratch = os.getenv('SCRATCH')
local failures = 0
local checks = 0

local function say(text)
  io.stdout:write(text .. '\n')
end

local function check(condition, what)
  checks = checks + 1
  if not condition then
    failures = failures + 1
    say('FAIL: ' .. what)
  end
end

-- How many times diagnostics were published for each URI.
local published = {}
local original = vim.lsp.handlers['textDocument/publishDiagnostics']
vim.lsp.handlers['textDocument/publishDiagnostics'] = function(err, result, ctx, config)
  published[result.uri] = (published[result.uri] or 0) + 1
  return original(err, result, ctx, config)
end

local exit_code = nil
local client = vim.lsp.start_client({
  name = 'sizgen',
  cmd = { sizgen, '--lsp' },
  root_dir = scratch,
  flags = { debounce_text_changes = 0 },
  on_exit = function(code) exit_code = code end,
})
check(client ~= nil, 'the client starts')

-- Waits for the next publication for `buffer` after `count` of them;
-- without one, nothing else can be checked.
local function await_publication(buffer, count, what)
  local uri = vim.uri_from_bufnr(buffer)
  checks = checks + 1
  if not vim.wait(10000, function() return (published[uri] or 0) > count end, 10) then
    error('no diagnostics published ' .. what)
  end
end

local function published_count(buffer)
  return published[vim.uri_from_bufnr(buffer)] or 0
end

-- Checks the diagnostics of `buffer` against `expected`: for each, the
-- line, the first and the past-the-end byte column, the severity, the
-- code and the start of the message.
local function expect(buffer, name, expected)
  local found = vim.diagnostic.get(buffer)
  table.sort(found, function(a, b) return a.lnum < b.lnum end)
  check(#found == #expected, name .. ': ' .. #expected .. ' diagnostics, not ' .. #found)
  for i, want in ipairs(expected) do
    local got = found[i]
    if got then
      local where = string.format('%s, diagnostic %d', name, i)
      check(got.lnum == want[1] and got.end_lnum == want[1], where .. ': line ' .. got.lnum)
      check(got.col == want[2], where .. ': first column ' .. got.col)
      check(got.end_col == want[3], where .. ': end column ' .. got.end_col)
      check(got.severity == want[4], where .. ': severity ' .. got.severity)
      check(got.code == want[5], where .. ': code ' .. tostring(got.code))
      check(got.source == 'sizgen', where .. ': source ' .. tostring(got.source))
      check(vim.startswith(got.message, want[6]), where .. ': message ' .. got.message)
    end
  end
end

local ERROR = vim.diagnostic.severity.ERROR
local WARN = vim.diagnostic.severity.WARN

-- Opens `path` and attaches the server; the buffer once its first
-- diagnostics came.
local function open(path)
  vim.cmd('edit ' .. vim.fn.fnameescape(path))
  local buffer = vim.api.nvim_get_current_buf()
  vim.lsp.buf_attach_client(buffer, client)
  await_publication(buffer, 0, 'for ' .. path)
  return buffer
end

-- The first card, a comment, says nothing of its text past column 80;
-- the last has a character outside ASCII (two bytes, one UTF-16 unit)
-- and a tab before its value.
local warnings = {
  { 1, 6, 9, WARN, 'value-outside-columns', 'SCALE reads 0 from columns 9-16' },
  { 2, 8, 16, WARN, 'blanks-in-number', 'the blanks inside "400 500" are ignored' },
  { 6, 0, 17, WARN, 'after-deck-end', 'the deck ended with the supplemental-offsets card' },
}

local function run()
  expect(open(data .. '/decks/error.deck'), 'error.deck',
    { { 1, 8, 16, ERROR, nil, 'cannot read "-1.9" as an integer' } })
  expect(open(data .. '/decks/crlf.deck'), 'crlf.deck', {})
  expect(open(data .. '/decks/lists.deck'), 'lists.deck', {
    { 6, 0, 8, WARN, 'list-given-twice', 'list 31 is given by two cards' },
    { 9, 0, 16, WARN, 'after-deck-end', 'the deck ended with the supplemental-offsets card' },
  })

  -- The deck with a warning of each kind, as it is and with CR LF line
  -- ends.
  local text = table.concat(vim.fn.readfile(data .. '/lsp/warnings.deck', 'b'), '\n')
  local crlf = scratch .. '/warnings-crlf.deck'
  vim.fn.writefile(vim.split(text:gsub('\n', '\r\n'), '\n'), crlf, 'b')
  expect(open(crlf), 'warnings-crlf.deck', warnings)
  check(vim.bo.fileformat == 'dos', 'warnings-crlf.deck is read with CR LF line ends')
  local buffer = open(data .. '/lsp/warnings.deck')
  expect(buffer, 'warnings.deck', warnings)

  -- Edits, sent as changes of ranges: the value moved into its columns,
  -- then the whole deck replaced by a sound one, then by one with an error.
  local count = published_count(buffer)
  vim.api.nvim_buf_set_text(buffer, 1, 5, 1, 5, { '     ' })
  await_publication(buffer, count, 'after an edit')
  expect(buffer, 'warnings.deck, the value moved', { warnings[2], warnings[3] })
  count = published_count(buffer)
  vim.api.nvim_buf_set_lines(buffer, 0, -1, false, { 'DEFAULT      1.5', '     600' })
  await_publication(buffer, count, 'after a sound deck')
  expect(buffer, 'warnings.deck, made sound', {})
  count = published_count(buffer)
  vim.api.nvim_buf_set_lines(buffer, 0, 1, false, { 'C  \u{e9}', 'DEFAULT  abc' })
  await_publication(buffer, count, 'after an error')
  expect(buffer, 'warnings.deck, an error',
    { { 1, 8, 12, ERROR, nil, 'cannot read "abc" as a real' } })

  -- A hover, a quick fix applied and the deck formatted, on a deck of
  -- its own: a value beside its columns, a card with trailing blanks.
  local fix = scratch .. '/fix.deck'
  vim.fn.writefile({ 'SCALE 2.0', '     600   ' }, fix, 'b')
  buffer = open(fix)
  expect(buffer, 'fix.deck', { { 0, 6, 9, WARN, 'value-outside-columns', 'SCALE reads 0' } })
  local function request(method, params)
    params.textDocument = { uri = vim.uri_from_bufnr(buffer) }
    local answers = vim.lsp.buf_request_sync(buffer, method, params, 10000) or {}
    local answer = answers[client] or {}
    check(answer.err == nil, method .. ' answers without an error')
    return answer.result
  end
  local hover = request('textDocument/hover', { position = { line = 1, character = 6 } })
  local shown = hover and hover.contents and hover.contents.value or ''
  check(shown:find('field 1 of the 1st list-size card (list 1)', 1, true) ~= nil,
    'hover names the field: ' .. shown)
  check(shown:find('list 1 ends at', 1, true) ~= nil, 'hover gives the final size: ' .. shown)
  check(hover and hover.range and hover.range.start.character == 0
    and hover.range['end'].character == 8, 'hover covers columns 1-8')

  local here = { start = { line = 0, character = 0 }, ['end'] = { line = 0, character = 0 } }
  local actions = request('textDocument/codeAction',
    { range = here, context = { diagnostics = vim.lsp.diagnostic.get_line_diagnostics(buffer, 0) } })
  check(actions and #actions == 1, 'one quick fix for the value beside its columns')
  count = published_count(buffer)
  if actions and actions[1] then
    check(actions[1].kind == 'quickfix', 'the action is a quick fix')
    vim.lsp.util.apply_workspace_edit(actions[1].edit, 'utf-16')
  end
  check(vim.api.nvim_buf_get_lines(buffer, 0, 1, false)[1] == 'SCALE        2.0',
    'the quick fix moves the value into columns 9-16')
  await_publication(buffer, count, 'after the quick fix')
  expect(buffer, 'fix.deck, fixed', {})

  count = published_count(buffer)
  vim.lsp.buf.formatting_sync(nil, 10000)
  local lines = vim.api.nvim_buf_get_lines(buffer, 0, -1, false)
  check(#lines == 2 and lines[1] == 'SCALE        2.0' and lines[2] == '     600',
    'formatting drops the trailing blanks: ' .. vim.inspect(lines))

  vim.lsp.stop_client(client)
  check(vim.wait(10000, function() return exit_code ~= nil end, 10), 'the server ends')
  check(exit_code == 0, 'the server ends with status 0 after shutdown, not ' .. tostring(exit_code))
end

local ok, problem = pcall(run)
if not ok then
  failures = failures + 1
  say('FAIL: ' .. tostring(problem))
end
say(string.format('neovim client: %d checks, %d failed', checks, failures))
vim.cmd(failures == 0 and 'qall!' or 'cquit 1')

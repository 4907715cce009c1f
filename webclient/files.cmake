# The web client's files, served as /<path> and compiled into the program.
set(QUIB_WEBCLIENT_FILES
  index.html
  app.js
  protocol.js
  messages.js
  state.js
  view.js
  style.css)

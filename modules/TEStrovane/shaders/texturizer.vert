#version 150
// The canvas repeats every texSize pixels of the image; the eight neighbour
// positions of the canvas height map for its gradient.
in vec2 vPosition;
uniform vec2 imgSize;
uniform vec2 texSize;
out vec2 uv;
out vec2 ql, qr, qu, qb, qul, qur, qbl, qbr;

void main()
{
    uv = (vPosition + 1.0) / 2.0;
    vec2 q = uv * imgSize / texSize;
    vec2 dx = vec2(1.0 / texSize.x, 0.0);
    vec2 dy = vec2(0.0, 1.0 / texSize.y);
    ql = q - dx;
    qr = q + dx;
    qu = q + dy;
    qb = q - dy;
    qul = q - dx + dy;
    qur = q + dx + dy;
    qbl = q - dx - dy;
    qbr = q + dx - dy;
    gl_Position = vec4(vPosition, 0.0, 1.0);
}

#version 330 core
// The scene graph's textured rectangle.
in vec4 qt_VertexPosition;
in vec2 qt_VertexTexCoord;
out vec2 texCoord;
uniform mat4 qt_Matrix;

void main()
{
    texCoord = qt_VertexTexCoord;
    gl_Position = qt_Matrix * qt_VertexPosition;
}
